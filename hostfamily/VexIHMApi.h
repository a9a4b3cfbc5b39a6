#pragma once
// The interface of the host's user-interface library ("VexIHM.dll"), loaded
// at run time from beside the host executable through its one exported entry
// point, GetVexIHMAPI. The module uses only the sixth operation; the order of
// all six is the library's.

class VexIHMAPI {
  public:
    // 1: the interface version (kVexIHMVersion).
    virtual int GetVersion() = 0;
    // 2: the text of the host's status line; the library keeps a copy.
    virtual void SetStatusText(const char* text) = 0;
    // 3: the text last given to SetStatusText, empty at first.
    virtual const char* GetStatusText() = 0;
    // 4 and 5: nested busy periods, shown to the user as a waiting cursor;
    // both return the depth of nesting after the call.
    virtual int BeginWait() = 0;
    virtual int EndWait() = 0;
    // 6: shows a message to the user and returns the user's answer (IDOK...).
    // style says how (kVexIHMStyleError, kVexIHMStyleWarning: a notice that
    // waits for no answer), the other two are the host's (0 here).
    virtual int ShowMessage(const char* text, int style, int helpId, int flags) = 0;

  protected:
    ~VexIHMAPI() = default;
};

inline constexpr int kVexIHMVersion = 1;
inline constexpr int kVexIHMStyleError = 1;
inline constexpr int kVexIHMStyleWarning = 2;

extern "C" {
using GetVexIHMAPIFunction = VexIHMAPI* (*)();
}
