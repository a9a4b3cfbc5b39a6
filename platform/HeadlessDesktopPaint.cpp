#include <algorithm>

#include "platform/HeadlessDesktop.h"
#include "platform/HeadlessDesktopRecords.h"
#include "platform/PixelImageFile.h"

namespace {

// The bounding rectangle of what is left of `update` once `removed` is taken
// out; unchanged when the cut leaves no smaller rectangle.
RECT Subtract(const RECT& update, const RECT& removed) {
    RECT common;
    if (!IntersectRect(&common, &update, &removed)) {
        return update;
    }
    if (EqualRect(&common, &update)) {
        return RECT{};
    }
    RECT rest = update;
    const bool fullWidth = common.left == update.left && common.right == update.right;
    const bool fullHeight = common.top == update.top && common.bottom == update.bottom;
    if (fullWidth && common.top == update.top) {
        rest.top = common.bottom;
    } else if (fullWidth && common.bottom == update.bottom) {
        rest.bottom = common.top;
    } else if (fullHeight && common.left == update.left) {
        rest.left = common.right;
    } else if (fullHeight && common.right == update.right) {
        rest.right = common.left;
    }
    return rest;
}

}  // namespace

// ---- Painting ----

bool HeadlessDesktop::Invalidate(Window& window, const RECT* rect, bool erase) {
    const RECT client = ClientRect(window);
    RECT area = client;
    if (rect != nullptr && !IntersectRect(&area, rect, &client)) {
        return true;
    }
    if (IsRectEmpty(&area)) {
        return true;
    }
    UnionRect(&window.update, &window.update, &area);
    window.erasePending = window.erasePending || erase;
    return true;
}

bool HeadlessDesktop::InvalidateRect(HWND window, const RECT* rect, bool erase) {
    Window* w = Find(window);
    return w != nullptr && Invalidate(*w, rect, erase);
}

bool HeadlessDesktop::ValidateRect(HWND window, const RECT* rect) {
    Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    w->update = rect ? Subtract(w->update, *rect) : RECT{};
    if (IsRectEmpty(&w->update)) {
        w->update = RECT{};
        w->erasePending = false;
        w->eraseUnhandled = false;
    }
    return true;
}

bool HeadlessDesktop::GetUpdateRect(HWND window, RECT* rect) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    if (rect != nullptr) {
        *rect = w->update;
    }
    return !IsRectEmpty(&w->update);
}

// Without RDW_ALLCHILDREN or RDW_NOCHILDREN, children take part unless their
// parent clips them (WS_CLIPCHILDREN), as on Windows.
void HeadlessDesktop::CollectForRedraw(HWND window, UINT flags, std::vector<HWND>& out) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    out.push_back(window);
    const bool children = (flags & RDW_ALLCHILDREN) != 0 ||
                          ((flags & RDW_NOCHILDREN) == 0 && (w->style & WS_CLIPCHILDREN) == 0);
    if (!children) {
        return;
    }
    for (HWND child : w->children) {
        CollectForRedraw(child, flags, out);
    }
}

bool HeadlessDesktop::RedrawWindow(HWND window, const RECT* update, UINT flags) {
    const Window* target = Find(window);
    if (target == nullptr) {
        return false;
    }
    std::vector<HWND> affected;
    CollectForRedraw(window, flags, affected);
    const POINT origin = ScreenOrigin(*target);
    for (HWND handle : affected) {
        Window* w = Find(handle);
        RECT area;
        const RECT* part = nullptr;
        if (update != nullptr) {
            // The rectangle is in the target's client coordinates.
            const POINT own = ScreenOrigin(*w);
            area = *update;
            OffsetRect(&area, origin.x - own.x, origin.y - own.y);
            part = &area;
        }
        if (flags & RDW_INVALIDATE) {
            Invalidate(*w, part, (flags & RDW_ERASE) != 0);
        } else if (flags & RDW_VALIDATE) {
            ValidateRect(handle, part);
        }
        if (flags & RDW_NOERASE) {
            w->erasePending = false;
        }
    }
    for (HWND handle : affected) {
        if (flags & RDW_UPDATENOW) {
            UpdateWindow(handle);
        } else if (flags & RDW_ERASENOW) {
            SendEraseIfPending(handle);
        }
    }
    return true;
}

void HeadlessDesktop::SendEraseIfPending(HWND window) {
    Window* w = Find(window);
    if (w == nullptr || !w->erasePending) {
        return;
    }
    w->erasePending = false;
    const bool erased = SendMessage(window, WM_ERASEBKGND, 0, 0) != 0;
    if (Window* after = Find(window)) {
        after->eraseUnhandled = !erased;
    }
}

bool HeadlessDesktop::UpdateWindow(HWND window) {
    const Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    if (IsWindowVisible(window) && !IsRectEmpty(&w->update)) {
        SendMessage(window, WM_PAINT, 0, 0);
    }
    return true;
}

bool HeadlessDesktop::BeginPaint(HWND window, PAINTSTRUCT* paint) {
    if (Find(window) == nullptr || paint == nullptr) {
        return false;
    }
    SendEraseIfPending(window);
    Window* w = Find(window);
    if (w == nullptr) {
        return false;
    }
    *paint = PAINTSTRUCT{};
    paint->rcPaint = w->update;
    paint->fErase = w->eraseUnhandled ? TRUE : FALSE;
    ValidateRect(window, nullptr);
    return true;
}

bool HeadlessDesktop::EndPaint(HWND window, const PAINTSTRUCT* /*paint*/) {
    return IsWindow(window);
}

HWND HeadlessDesktop::NextToPaint(const std::unordered_set<HWND>& skip) const {
    // Depth first, bottom to top, so that a parent paints before its children.
    std::vector<HWND> pending(topLevel_.rbegin(), topLevel_.rend());
    while (!pending.empty()) {
        const HWND handle = pending.back();
        pending.pop_back();
        const Window* w = Find(handle);
        if (w == nullptr || !w->visible) {
            continue;
        }
        if (!IsRectEmpty(&w->update) && skip.count(handle) == 0) {
            return handle;
        }
        pending.insert(pending.end(), w->children.rbegin(), w->children.rend());
    }
    return nullptr;
}
// ---- Window contents ----

// Called before the rectangle changes. The old contents stay where they were;
// what is new is black.
void HeadlessDesktop::Resize(Window& window, int width, int height) {
    if (window.pixels.empty()) {
        return;
    }
    const int oldWidth = window.Width();
    const int oldHeight = window.Height();
    const PixelPages old = std::move(window.pixels);
    const std::int64_t count = std::int64_t{width} * height;
    if (count <= 0 || count > kMaxWindowPixels) {
        return;
    }
    window.pixels = PixelPages(static_cast<size_t>(count));
    if (window.pixels.empty()) {
        return;
    }
    const int keepWidth = std::min(width, oldWidth);
    for (int y = 0; y < std::min(height, oldHeight); ++y) {
        std::copy_n(old.data() + static_cast<std::ptrdiff_t>(y) * oldWidth, keepWidth,
                    window.pixels.data() + static_cast<std::ptrdiff_t>(y) * width);
    }
}

std::uint32_t* HeadlessDesktop::EnsurePixels(Window& window) {
    const std::int64_t count = std::int64_t{window.Width()} * window.Height();
    if (count <= 0 || count > kMaxWindowPixels) {
        return nullptr;
    }
    if (window.pixels.size() != static_cast<size_t>(count)) {
        window.pixels = PixelPages(static_cast<size_t>(count));
    }
    return window.pixels.data();
}

bool HeadlessDesktop::PresentToWindow(HWND window, const std::uint32_t* pixels, int width,
                                      int height, int stride, const RECT* source,
                                      const RECT* destination) {
    Window* w = Find(window);
    if (w == nullptr || pixels == nullptr || width <= 0 || height <= 0 || stride < width * 4) {
        return false;
    }
    const RECT sourceRect = source ? *source : RECT{0, 0, width, height};
    if (IsRectEmpty(&sourceRect) || sourceRect.left < 0 || sourceRect.top < 0 ||
        sourceRect.right > width || sourceRect.bottom > height) {
        return false;
    }
    const RECT destinationRect = destination ? *destination : ClientRect(*w);
    if (IsRectEmpty(&destinationRect)) {
        return false;
    }
    if (w->Width() > 0 && w->Height() > 0) {
        std::uint32_t* target = EnsurePixels(*w);
        if (target == nullptr) {
            return false;
        }
        if (pixels == target) {
            // Drawn in place through GetWindowSurface: shown as it is, or
            // refused when a copy would read what it overwrites.
            const RECT whole = ClientRect(*w);
            if (!EqualRect(&sourceRect, &whole) || !EqualRect(&destinationRect, &whole) ||
                stride != w->Width() * 4) {
                return false;
            }
            ++w->presentCount;
            return true;
        }
        CopyScaled(pixels, stride, sourceRect, target, w->Width() * 4, w->Width(), w->Height(),
                   destinationRect);
    }
    ++w->presentCount;
    return true;
}

bool HeadlessDesktop::FlipToWindow(HWND window, PixelPages& pixels, int width, int height) {
    Window* w = Find(window);
    if (w == nullptr || w->Width() != width || w->Height() != height || w->pixels.empty() ||
        w->pixels.size() != pixels.size() ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return false;
    }
    std::swap(w->pixels, pixels);
    ++w->presentCount;
    return true;
}

WindowSurface HeadlessDesktop::GetWindowSurface(HWND window) {
    Window* w = Find(window);
    if (w == nullptr) {
        return {};
    }
    std::uint32_t* pixels = EnsurePixels(*w);
    if (pixels == nullptr) {
        return {};
    }
    return WindowSurface{pixels, w->Width(), w->Height(), w->Width() * 4};
}

void HeadlessDesktop::Compose(HWND window, const WindowSurface& target, int offsetX,
                              int offsetY) const {
    const Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    if (!w->pixels.empty()) {
        CopyScaled(w->pixels.data(), w->Width() * 4, ClientRect(*w), target.pixels, target.stride,
                   target.width, target.height,
                   RECT{offsetX, offsetY, offsetX + w->Width(), offsetY + w->Height()});
    }
    for (HWND child : w->children) {
        const Window* c = Find(child);
        if (c != nullptr && c->visible) {
            Compose(child, target, offsetX + c->rect.left, offsetY + c->rect.top);
        }
    }
}

PixelImage HeadlessDesktop::CaptureWindow(HWND window) const {
    const Window* w = Find(window);
    if (w == nullptr || w->Width() <= 0 || w->Height() <= 0 ||
        std::int64_t{w->Width()} * w->Height() > kMaxWindowPixels) {
        return {};
    }
    PixelImage image(w->Width(), w->Height());
    Compose(window, WindowSurface{image.pixels.data(), image.width, image.height, image.width * 4},
            0, 0);
    return image;
}

bool HeadlessDesktop::SaveWindowPng(HWND window, const std::string& path) const {
    const Window* w = Find(window);
    if (w == nullptr || w->Width() <= 0 || w->Height() <= 0 ||
        std::int64_t{w->Width()} * w->Height() > kMaxWindowPixels) {
        return false;
    }
    // Composed a band of rows at a time as the encoder asks for them: a
    // capture of the whole window would be one more copy of it.
    const int width = w->Width();
    return static_cast<bool>(WritePngRows(
        width, w->Height(),
        [&](int first, int count, std::uint32_t* rows) {
            std::fill_n(rows, static_cast<std::size_t>(width) * count, 0u);
            Compose(window, WindowSurface{rows, width, count, width * 4}, 0, -first);
        },
        path));
}

void HeadlessDesktop::DropContents(HWND window) {
    Window* w = Find(window);
    if (w == nullptr) {
        return;
    }
    if (!w->pixels.empty()) {
        w->pixels = PixelPages();
        Invalidate(*w, nullptr, true);
    }
    for (HWND child : w->children) {
        DropContents(child);
    }
}

int HeadlessDesktop::PresentCount(HWND window) const {
    const Window* w = Find(window);
    return w ? w->presentCount : 0;
}
