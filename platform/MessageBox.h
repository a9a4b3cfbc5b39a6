#pragma once
// MessageBoxA without a screen: the text goes to standard error unless the host
// installs a handler of its own (a real window, a test's recorder).
#include <functional>
#include <string>

#include "platform/WinTypes.h"

#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define MB_ICONWARNING 0x00000030L
#define IDOK 1

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

using MessageBoxHandler =
    std::function<int(const std::string& text, const std::string& caption, UINT type)>;

// Returns the previous handler; an empty handler restores the default.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
