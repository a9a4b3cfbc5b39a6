#pragma once
// The module's cursor resources, 308 to 337: arrows toward the edge a zone of
// the profile view looks at, a cross for dragging, each in a day picture and
// a darker night one. The pictures are drawn in code, once per id.
#include "platform/WinTypes.h"

struct CursorImage;

inline constexpr int kFirstCursorId = 308;
inline constexpr int kLastCursorId = 337;

// Day and night cursor ids of the profile view's zones.
struct CursorPair {
    int day;
    int night;
    friend bool operator==(const CursorPair&, const CursorPair&) = default;
};

inline constexpr CursorPair kCursorsTop{332, 309};
inline constexpr CursorPair kCursorsTopRight{333, 310};
inline constexpr CursorPair kCursorsRight{334, 311};
inline constexpr CursorPair kCursorsBottomRight{335, 312};
inline constexpr CursorPair kCursorsBottom{336, 328};
inline constexpr CursorPair kCursorsBottomLeft{337, 308};
inline constexpr CursorPair kCursorsLeft{330, 315};
inline constexpr CursorPair kCursorsTopLeft{331, 314};
inline constexpr CursorPair kCursorsCentre{329, 327};

// The picture of a module cursor (32 x 32, 0xAARRGGBB); false, image
// untouched, for an id outside 308..337.
bool LoadModuleCursorImage(int id, CursorImage* image);

// The current desktop's cursor for a module cursor id, its picture handed
// over with it; null without a desktop or for an id outside 308..337.
HCURSOR LoadModuleCursor(int id);
