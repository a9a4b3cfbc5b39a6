#pragma once
// Access to the sounder library ("ZXNorvane.dll", loaded from ../NORVANE/
// beside the host executable), kept for the life of the process.
#include <string>

#include "hostfamily/ZXNorvaneApi.h"

// The library's API object. A missing library or entry point shows the
// missing-library message and ends the process with exit code 1. Safe to call
// from the library's own thread once it is loaded.
ZXNorvaneAPI* GetSounderLibrary();
ZXSounder* GetSounder();
ZXModeEncoder* GetModeEncoder();

// The folder the library is loaded from: the executable's folder, then
// "../NORVANE/".
std::string SounderLibraryFolder();

// Loads the library from a folder without the fatal path: null on failure,
// with the message text in *message.
ZXNorvaneAPI* LoadSounderLibraryFrom(const std::string& folder, std::string* message);

// Replaces the process-wide API object (a test's stand-in); null makes the next
// call load the library. Returns the previous one.
ZXNorvaneAPI* SetSounderLibrary(ZXNorvaneAPI* api);
