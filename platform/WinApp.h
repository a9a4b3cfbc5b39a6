#pragma once
// The host application object of the application framework, reduced to what
// modules use of it: the profile (integers and strings by section and entry,
// section keys). The profile lives in an INI file chosen by the host instead
// of the registry; section names keep their backslashes, so
// "ModuleData\PlotrexData" is one section and nested keys are sections whose
// names continue the parent's after a backslash.
#include <memory>
#include <optional>
#include <string>

#include "platform/Error.h"
#include "platform/WinTypes.h"

class IniProfile;
class CWnd;

class CWinApp {
  public:
    // What a save did besides writing the file: where a file that was no
    // INI text was kept aside, if one was.
    struct ProfileSaved {
        std::optional<std::string> keptAs;
    };

    // Opens the profile file (which need not exist yet) and becomes the
    // current application object. A file that is not INI text loads as
    // empty (ProfileLoadError says why) and is kept aside by the next save.
    // A path that cannot hold a profile (ProfileRefusal) is left alone.
    explicit CWinApp(const std::string& profilePath);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE when the names or the text could not be stored as given.
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    // The stored integer, or defaultValue when absent or not a decimal whole number.
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    // A null entry deletes the whole section on Windows; so it does here.
    std::string GetProfileString(const char* section, const char* entry,
                                 const char* defaultValue = nullptr);

    // The key of a section, created when missing; close it with RegCloseKey.
    HKEY GetSectionKey(const char* section);
    // The key of the profile's root, under which every section lies.
    HKEY GetAppRegistryKey();

    // Writes what changed in the profile into its file, merged with what
    // another program saved meanwhile: a temporary file renamed over the old
    // one, so that a failure never loses the previous profile. The error
    // names the profile ("profile ... not saved: ...").
    ErrorOr<ProfileSaved> SaveProfile();
    const std::string& ProfilePath() const;
    // Set when the file existed but was not INI text: the whole warning.
    const std::optional<Error>& ProfileLoadError() const;
    // Why a path cannot hold a profile (not a regular file, too large,
    // unreadable, read-only, its lock file cannot be made), as what the path
    // "is", "cannot" or "needs". Changes nothing.
    static ErrorOr<void> CheckProfileFile(const std::string& path);
    // Set when the profile's path could not be used: nothing was read from
    // it and saving will not touch it. Told as CheckProfileFile tells it.
    const std::optional<Error>& ProfileRefusal() const;

    IniProfile& Profile() { return *profile_; }

    // The host's main window, parent of the windows modules create; null
    // without a window.
    CWnd* m_pMainWnd = nullptr;

  private:
    std::unique_ptr<IniProfile> profile_;
};

// The current application object, null when the host made none.
CWinApp* AfxGetApp();

// Registry keys over the INI profile. A key is a section name; subkeys are the
// sections named "<key>\<subkey>".
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L

// Deletes the key subKey below key (key itself when subKey is empty) with its
// values. As on Windows, a key that still has subkeys is not deleted.
LONG RegDeleteKeyA(HKEY key, const char* subKey);
LONG RegCloseKey(HKEY key);
