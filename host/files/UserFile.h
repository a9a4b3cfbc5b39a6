#pragma once
// The files a user names for the voyage (a log, a recording, a raster, a
// historic profile) must be regular files, or symbolic links to one: a
// folder, a device, a named pipe or a socket is refused before anything
// opens it, so that nothing waits for a writer or reads without end.
#include <string>

#include "platform/Error.h"

enum class FolderUse {
    kRefused,
    kAllowed,  // a raster may be a folder (an ESRI grid, a Zarr store)
};

// Refused, as "the NMEA log /dev/zero is a device, not a file", when path
// names something other than a regular file. A name that names nothing is
// left to the reader, which says it cannot open it.
ErrorOr<void> CheckUserFile(const std::string& path, const std::string& what,
                            FolderUse folders = FolderUse::kRefused);
