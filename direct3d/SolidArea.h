#pragma once
// Where a surface is known to hold one colour: the rectangle a clear filled,
// less every part drawn, locked for writing or handed to a device context
// since. Knowledge only shrinks between clears; a draw onto the rectangle can
// then blend with a known colour instead of reading the pixels.
#include <cstdint>

#include "direct3d/DrawState.h"
#include "direct3d/d3d9types.h"

namespace d3d9soft {

class SolidArea {
  public:
    // The rectangle now holds colour; what was known elsewhere is dropped.
    void Filled(const RECT& rect, std::uint32_t colour);
    // The rectangle's pixels may have changed: the largest piece of what is
    // still known that lies outside it stays known.
    void Touched(const RECT& rect);
    void Forget() { rect_ = RECT{0, 0, 0, 0}; }

    // Whether every pixel of the rectangle holds Colour().
    bool Covers(const RECT& rect) const;
    std::uint32_t Colour() const { return colour_; }

  private:
    RECT rect_{0, 0, 0, 0};
    std::uint32_t colour_ = 0;
};

// Drops from the target's known area what a draw into rect may change.
inline void Touch(const Target& target, const RECT& rect) {
    if (target.solid != nullptr) {
        target.solid->Touched(rect);
    }
}

}  // namespace d3d9soft
