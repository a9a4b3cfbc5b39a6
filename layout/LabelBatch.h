#pragma once
// Texts of one decoration drawn together over a shared translucent box: the
// box is the union of the texts' boxes, each widened by a pixel. Texts are in
// the drawing context's code page (Windows-1252), in "Arial".
#include <string>
#include <vector>

#include "drawing/DeviceGraphics.h"
#include "platform/WinTypes.h"

struct LabelStyle {
    short horizontalAlignment = kAlignNear;
    short verticalAlignment = kAlignNear;
    bool border = false;
    short fontSize = 11;
    COLORREF boxColour = 0;
    BYTE boxOpacity = 50;
    // Palette colour of the texts in the current day/night mode.
    int textColourIndex = 17;

    // The defaults with this alignment and font size.
    static LabelStyle Aligned(short horizontal, short vertical, short size) {
        LabelStyle style;
        style.horizontalAlignment = horizontal;
        style.verticalAlignment = vertical;
        style.fontSize = size;
        return style;
    }
};

// A box in pixels: left, top, right, bottom.
struct LabelBox {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    bool IsEmpty() const { return right <= left || bottom <= top; }
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
    // Sharing more than an edge.
    bool Overlaps(const LabelBox& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    // Each side truncated toward zero.
    RECT Truncated() const;
};

class LabelBatch {
  public:
    static constexpr const char* kFontName = "Arial";

    LabelBatch(DeviceGraphics& graphics, const LabelStyle& style);

    // An empty text takes no room but stretches the box to its point.
    void Add(std::string text, float x, float y);
    bool IsEmpty() const { return labels_.empty(); }
    // The union of the labels' boxes; empty for a batch without labels.
    LabelBox Measure();
    // The box a label would take in this batch, added or not.
    LabelBox MeasureLabel(const std::string& text, float x, float y) const;
    // The boxes of the texts added, in order; empty labels have none.
    std::vector<LabelBox> TextBoxes() const;
    // The box (outlined when asked) and the texts, only when the box is
    // wider and taller than a pixel.
    void Draw();

  private:
    struct Label {
        std::string text;
        float x;
        float y;
    };

    DeviceGraphics& graphics_;
    LabelStyle style_;
    std::vector<Label> labels_;
    bool measured_ = false;
    LabelBox box_;
};

// The palette colour of an index in the module's current day/night mode.
COLORREF PaletteColorRef(unsigned index);
