#pragma once
// Run-time loading of libraries on dlopen/dlsym, with Windows' names and the
// error numbers the module reports (GetLastError, FormatMessageA).
#include <string>

#include "platform/WinTypes.h"

#define ERROR_SUCCESS 0L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_DLL_NOT_FOUND 1157L
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200

// Suffix of a shared library on this platform (".so"): names written as
// "Converter.dll" are loaded as "Converter.so".
extern const char* const kSharedLibrarySuffix;

// flags are accepted and ignored; a relative name is resolved by the dynamic
// loader's search, a name with a slash as a path. Null on failure, with
// GetLastError() = ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryExA(const char* fileName, void* reserved, DWORD flags);
BOOL FreeLibrary(HMODULE module);
// Null on failure, with GetLastError() = ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE module, const char* name);
// With a null module: the path of the running executable. Returns the length
// copied (truncated to size - 1 and terminated), 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size);

DWORD GetLastError();
void SetLastError(DWORD error);

// Text of a system error number, as FormatMessageA gives it for
// FORMAT_MESSAGE_FROM_SYSTEM. Returns the number of characters written, 0 when
// the number is unknown or the buffer too small.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     char* buffer, DWORD size, void* arguments);

// The text of the last dlopen/dlsym failure, for diagnostics.
std::string LastLoaderError();

// Replaces the ".dll" ending of a Windows library name by this platform's suffix.
std::string PlatformLibraryName(const std::string& windowsName);
