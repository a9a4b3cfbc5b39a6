#pragma once
// Layout settings in one section of the application's profile. Lives for one
// load or one save.
#include <string>

#include "persistence/Serializater.h"

class CWinApp;

class SerializaterReg : public Serializater {
  public:
    // application may be null: reads are then empty and writes do nothing.
    SerializaterReg(CWinApp* application, std::string section);
    ~SerializaterReg() override;
    std::string Read(const std::string& name) override;
    int Write(const std::string& name, const std::string& text) override;

  private:
    CWinApp* application_;
    std::string section_;
};
