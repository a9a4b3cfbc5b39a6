#pragma once
// GetTickCount: milliseconds since an arbitrary start, wrapping at 2^32 as on
// Windows. Tests and the headless desktop replace the clock with their own.
#include <functional>

#include "platform/WinTypes.h"

DWORD GetTickCount();

// Installs a clock read by GetTickCount; an empty function restores the
// monotonic system clock.
void SetTickCountSource(std::function<DWORD()> source);
