#pragma once
// A fresh application object over a temporary profile file, current for the
// life of the fixture.
#include <filesystem>
#include <memory>
#include <string>

#include "platform/WinApp.h"

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

class TestProfile {
  public:
    TestProfile();
    CWinApp& App() { return *app_; }
    std::string Path() const { return folder_.File("profile.ini"); }
    // Saves, then opens the file again as a new application object would.
    void Reload();
    std::string FileText() const;

  private:
    TempFolder folder_;
    std::unique_ptr<CWinApp> app_;
};
