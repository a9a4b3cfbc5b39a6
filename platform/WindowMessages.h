#pragma once
// RegisterWindowMessageA: process-wide message numbers for names, from 0xC000
// upwards; the same name (compared without regard to case, as Windows does)
// always gives the same number. 0 for a null or empty name.
#include "platform/WinTypes.h"

UINT RegisterWindowMessageA(const char* name);
