#pragma once
// The lock beside a profile file, "FILE.lock", that programs saving the
// profile take in turn (private to the platform library). Its holder
// removes it when done, so none is left behind, and a program that took a
// lock on a file no longer at its path takes it again afresh.
#include <string>

#include "platform/Error.h"

class IniProfileLock {
  public:
    // Taken for the profile file target, waiting for another program's
    // save; failed when it cannot be made or stays locked.
    static ErrorOr<IniProfileLock> Take(const std::string& target);
    // Refused, as what the profile "needs", when the lock could not be made
    // or opened; a lock file made to find out is removed again.
    static ErrorOr<void> Check(const std::string& target);

    IniProfileLock(IniProfileLock&& other) noexcept;
    IniProfileLock& operator=(IniProfileLock&&) = delete;
    IniProfileLock(const IniProfileLock&) = delete;
    IniProfileLock& operator=(const IniProfileLock&) = delete;
    // Removed while still held, then released.
    ~IniProfileLock();

  private:
    IniProfileLock(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

    std::string path_;
    int fd_ = -1;
};
