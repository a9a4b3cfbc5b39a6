#pragma once
// Pango layouts of the drawing context's texts, kept per thread: the same
// labels come back every frame, and laying a text out costs far more than
// drawing it.
#include <string>
#include <vector>

typedef struct _PangoLayoutLine PangoLayoutLine;
typedef struct _cairo cairo_t;

class TextLayouter {
  public:
    struct Line {
        PangoLayoutLine* line = nullptr;
        double width = 0.0;  // advance width in pixels
    };
    struct Layout {
        double ascent = 0.0;      // top of a line to its baseline
        double lineHeight = 0.0;  // baseline to baseline
        double width = 0.0;       // of the widest line
        std::vector<Line> lines;
    };

    // The layout of a UTF-8 text in the bold face of family at size pixels,
    // null when no font can be made. Valid until the next call on this thread.
    static const Layout* Get(const std::string& utf8, const std::string& family, double size);
    // Draws one line with its baseline starting at (x, y) in device pixels.
    static void ShowLine(cairo_t* cr, const Line& line, double x, double y);
    // Forgets every layout of this thread.
    static void Clear();
};
