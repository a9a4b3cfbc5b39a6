#pragma once
// The INI file behind the application's profile (private to the platform library).
#include <cstdint>
#include <optional>
#include <string>

#include "platform/IniDocument.h"

class IniProfile {
  public:
    // A profile is a few kilobytes; anything this large is not one.
    static constexpr std::uintmax_t kMaxBytes = 4u << 20;
    // Nor has one this many sections and entries; lookups are linear.
    static constexpr size_t kMaxItems = 10000;

    // Reads the file. A missing file is an empty profile. A file that is no
    // INI text loads as empty with a warning and is kept aside as
    // "<file>.bad" (then ".bad.1", ...) by the next save. A path that cannot
    // hold a profile at all (see Problem) is neither read nor ever written.
    explicit IniProfile(std::string path);
    IniProfile(const IniProfile&) = delete;
    IniProfile& operator=(const IniProfile&) = delete;

    // Why path cannot hold a profile: not a regular file, too large, not
    // readable, read-only, or in a folder that cannot be written. Empty when
    // it can. Opens nothing but a regular file, and changes nothing.
    static std::string Problem(const std::string& path);

    std::optional<std::string> Get(const std::string& section, const std::string& entry) const;
    // False when the names or the value could not be read back as given.
    bool Set(const std::string& section, const std::string& entry, const std::string& value);
    bool CreateSection(const std::string& section);
    bool HasSection(const std::string& section) const;
    // True when a section named section + "\..." exists.
    bool HasSubsections(const std::string& section) const;
    void DeleteSection(const std::string& section);
    void DeleteEntry(const std::string& section, const std::string& entry);

    // Writes what this program changed since it read the file (or last
    // saved) into the file as it is now, under a lock shared with other
    // programs saving it: a unique temporary file beside it, synced, then
    // renamed over it. Links are written through, permissions kept. True
    // only when the changes are on disk.
    bool Save();

    const std::string& Path() const { return path_; }
    bool LoadFailed() const { return loadFailed_; }
    // Non-empty when the path cannot hold a profile: it is left untouched.
    const std::string& Refusal() const { return refusal_; }

  private:
    std::string path_;
    std::string refusal_;
    bool loadFailed_ = false;
    IniDocument read_;  // as last read or saved: what changes are measured against
    IniDocument current_;
};
