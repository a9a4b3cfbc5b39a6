#pragma once
// Identifiers of the module's own resources.
#include "platform/WinTypes.h"

// String table.
inline constexpr UINT IDS_NO_SWEEP = 338;
inline constexpr UINT IDS_NO_DEPTH = 339;
inline constexpr UINT IDS_HF = 340;
inline constexpr UINT IDS_LF = 341;
inline constexpr UINT IDS_SINGLE_FREQ = 342;
inline constexpr UINT IDS_MARKER_ZOOM = 343;
inline constexpr UINT IDS_BOTTOM_ZOOM = 344;
inline constexpr UINT IDS_BOTTOM_LOCK = 345;
inline constexpr UINT IDS_BOTTOM_DSCR = 346;
inline constexpr UINT IDS_DUAL_FREQ = 347;
inline constexpr UINT IDS_NO_TEMPERATURE = 348;
