#pragma once
// The module's string table, looked up by resource id (resources/Resource.h).
#include "platform/WinTypes.h"

// The text of a string resource of the module; empty (never null) for an id
// the table does not hold.
const char* LoadModuleString(UINT id);
