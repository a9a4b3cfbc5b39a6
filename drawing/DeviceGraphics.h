#pragma once
// A drawing context for one pass over a device's surface: the few primitives
// the graphs, the decorations and the views draw with. Colours are a GDI
// colour (0x00BBGGRR) plus an opacity byte. Shapes are not anti-aliased;
// text is. Pixel centres lie on whole coordinates, so FillRect(0, 0, 2, 2)
// fills exactly the pixels 0 and 1 of each axis. Build it on the caller's
// stack and destroy it before the device is resized or presented.
#include <vector>

#include "drawing/PointF.h"
#include "platform/CairoHandles.h"
#include "platform/WinTypes.h"

class VexanDevice;

// Text alignments along each axis, relative to the origin point.
inline constexpr short kAlignNear = 0;
inline constexpr short kAlignCenter = 1;
inline constexpr short kAlignFar = 2;

// The hatch styles the context knows (GDI+ numbering).
inline constexpr int kHatchHorizontal = 0;
inline constexpr int kHatchVertical = 1;
inline constexpr int kHatchForwardDiagonal = 2;
inline constexpr int kHatchBackwardDiagonal = 3;
inline constexpr int kHatchCross = 4;
inline constexpr int kHatchDiagonalCross = 5;

class DeviceGraphics {
  public:
    // Takes the device's context (GetDC); draws nothing when there is none.
    explicit DeviceGraphics(VexanDevice* device);
    ~DeviceGraphics();
    DeviceGraphics(const DeviceGraphics&) = delete;
    DeviceGraphics& operator=(const DeviceGraphics&) = delete;

    // True when drawing reaches a surface.
    bool CanDraw() const { return graphics_ != nullptr; }
    bool HasClip() const { return clip_; }

    // Replaces any clip by the rectangle.
    void SetClip(RECT r);
    // Only after SetClip: back to the whole device.
    void ResetClip();
    // Clip state, nested.
    void Save();
    void Restore();

    // count (x, y) pairs joined by lines; nothing for fewer than 2 points.
    void DrawPolyline(const double* xy, int count, COLORREF colour, double width, BYTE opacity);
    // The closed outline as a polyline of five points from (left, top) down.
    void DrawRectangle(RECT r, COLORREF colour, BYTE opacity, double width);
    // The polygon of the curve closed along the line y = baseY.
    void FillUnderCurve(const double* xy, double baseY, int count, COLORREF colour, BYTE opacity);
    void FillRect(RECT r, COLORREF colour, BYTE opacity);
    // A right-pointing triangle of width size and height 2 * (size / 3).
    void FillTriangleMarker(POINT centre, COLORREF colour, BYTE opacity, int size);
    // count triangles of three (x, y) points, each filled on its own.
    void FillTriangles(const double* points, int count, COLORREF colour, BYTE opacity);
    // Outline with a pen, then a fill with the hatch in the colour over a
    // transparent background. Unknown hatch styles leave the inside unfilled.
    void DrawHatchedPolygon(const PointF* points, int count, COLORREF colour, BYTE opacity,
                            double width, int hatchStyle);
    // Bold text of size pixels in the Windows-1252 code page, opaque, placed
    // by the alignments (kAlignNear...) relative to (x, y).
    void DrawText(double x, double y, const char* text, const char* fontName, double size,
                  COLORREF colour, short align, short lineAlign);
    // The box DrawText lays the same text out in: left, top, right, bottom.
    // Works without a surface as well.
    void MeasureText(double x, double y, double rect[4], const char* text, const char* fontName,
                     double size, short align, short lineAlign);

  private:
    // Before other drawings: they need the record's pending pixels written
    // (SolidRows) and make what it knows untrue.
    void ForgetPixels();
    // The translucent fill written over known pixels; false when some are not.
    bool FillOverKnownPixels(const std::vector<double>& polygon, COLORREF colour, BYTE opacity);

    VexanDevice* device_;
    CairoPtr graphics_;
    bool clip_ = false;
    std::vector<bool> savedClips_;
    RECT surfaceRect_{};
    RECT clipRect_{};  // where Cairo may draw, in device pixels
    std::vector<RECT> savedClipRects_;
};
