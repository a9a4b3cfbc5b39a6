#pragma once
// The INI file behind the application's profile (private to the platform library).
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Error.h"
#include "platform/IniDocument.h"

class IniProfile {
  public:
    // A profile is a few kilobytes; anything this large is not one.
    static constexpr std::uintmax_t kMaxBytes = 4u << 20;
    // Nor has one this many sections and entries; lookups are linear.
    static constexpr size_t kMaxItems = 10000;

    // What a save did besides writing the file.
    struct Saved {
        // Where a file that was no INI text was kept aside, if one was.
        std::optional<std::string> keptAs;
    };

    // Reads the file. A missing file is an empty profile. A file that is no
    // INI text loads as empty (see LoadError) and is kept aside as
    // "<file>.bad" (then ".bad.1", ...) by the next save. A path that cannot
    // hold a profile at all (see Check) is neither read nor ever written.
    explicit IniProfile(std::string path);
    IniProfile(const IniProfile&) = delete;
    IniProfile& operator=(const IniProfile&) = delete;

    // Why path cannot hold a profile: not a regular file, too large, not
    // readable, read-only, in a folder that cannot be written or made, or
    // beside a lock file that cannot be made or opened, told as what the
    // path "is", "cannot" or "needs". Opens nothing but regular files, and
    // leaves everything as it was (a lock file made to find out is removed).
    static ErrorOr<void> Check(const std::string& path);

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
    // programs saving it (removed again by its holder): a unique temporary
    // file beside it, synced, then renamed over it. Links are written
    // through, permissions kept. An error unless the changes are on disk.
    ErrorOr<Saved> Save();

    const std::string& Path() const { return path_; }
    // Why the file's settings were not read, when it was no INI text.
    const std::optional<Error>& LoadError() const { return loadError_; }
    // Why the path cannot hold a profile: it is then left untouched.
    const std::optional<Error>& Refusal() const { return refusal_; }

  private:
    ErrorOr<Saved> Write();
    ErrorOr<Saved> WriteUnderLock(const std::string& target);

    std::string path_;
    std::optional<Error> refusal_;
    std::optional<Error> loadError_;
    IniDocument read_;  // as last read or saved: what changes are measured against
    IniDocument current_;
};
