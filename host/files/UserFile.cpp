#include "host/files/UserFile.h"

#include <sys/stat.h>

namespace {

std::string WhatItIs(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "is a folder, not a file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "is a named pipe, not a file";
    }
    if (S_ISSOCK(mode)) {
        return "is a socket, not a file";
    }
    return "is not a regular file";
}

}  // namespace

ErrorOr<void> CheckUserFile(const std::string& path, const std::string& what, FolderUse folders) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) ||
        (S_ISDIR(info.st_mode) && folders == FolderUse::kAllowed)) {
        return {};
    }
    return Error::Refused(what + " " + path + " " + WhatItIs(info.st_mode));
}
