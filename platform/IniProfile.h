#pragma once
// The INI file behind the application's profile (private to the platform library).
#include <memory>
#include <optional>
#include <string>

class IniProfile {
  public:
    // Reads the file; a missing file is an empty profile, a file that cannot
    // be read or is not text is an empty profile and a warning.
    explicit IniProfile(std::string path);
    ~IniProfile();
    IniProfile(const IniProfile&) = delete;
    IniProfile& operator=(const IniProfile&) = delete;

    std::optional<std::string> Get(const std::string& section, const std::string& entry) const;
    void Set(const std::string& section, const std::string& entry, const std::string& value);
    void CreateSection(const std::string& section);
    bool HasSection(const std::string& section) const;
    // True when a section named section + "\..." exists.
    bool HasSubsections(const std::string& section) const;
    void DeleteSection(const std::string& section);
    void DeleteEntry(const std::string& section, const std::string& entry);

    // Temporary file, then rename over the old one. A file that failed to load
    // is first kept aside as "<path>.bad" so that nothing is lost silently.
    bool Save();
    const std::string& Path() const { return path_; }
    bool LoadFailed() const { return loadFailed_; }

  private:
    struct Store;
    std::string path_;
    bool loadFailed_ = false;
    std::unique_ptr<Store> store_;
};
