#pragma once
// Named text values for layout settings, wherever they are kept.
#include <string>

class Serializater {
  public:
    virtual ~Serializater() = default;
    // The empty text when the name was never written.
    virtual std::string Read(const std::string& name) = 0;
    // Non-zero on success.
    virtual int Write(const std::string& name, const std::string& text) = 0;
};
