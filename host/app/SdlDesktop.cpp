#include "host/app/SdlDesktop.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#include <SDL.h>
#pragma GCC diagnostic pop

#include <algorithm>

namespace {

MouseButton ButtonOf(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_RIGHT:
            return MouseButton::Right;
        case SDL_BUTTON_MIDDLE:
            return MouseButton::Middle;
        default:
            return MouseButton::Left;
    }
}

// Printable keys as their characters; the few others the host uses as the
// characters of the same meaning.
int TranslateKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_UP:
            return '^';
        case SDLK_DOWN:
            return 'v';
        case SDLK_KP_PLUS:
        case SDLK_EQUALS:
            return '+';
        case SDLK_KP_MINUS:
            return '-';
        case SDLK_HOME:
            return kKeyHome;
        case SDLK_END:
            return kKeyEnd;
        default:
            return key > 0 && key < 128 ? static_cast<int>(key) : 0;
    }
}

}  // namespace

ErrorOr<std::unique_ptr<SdlDesktop>> SdlDesktop::Open() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return Error::Failed(std::string("cannot open a display: ") + SDL_GetError());
    }
    std::vector<RECT> monitors;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
            monitors.push_back(RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h});
        }
    }
    return std::unique_ptr<SdlDesktop>(new SdlDesktop(std::move(monitors)));
}

SdlDesktop::SdlDesktop(std::vector<RECT> monitors) : HeadlessDesktop(std::move(monitors)) {
    lastTicks_ = SDL_GetTicks64();
}

SdlDesktop::~SdlDesktop() {
    for (auto& [handle, cursor] : cursors_) {
        SDL_FreeCursor(cursor);
    }
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
    SDL_Quit();
}

ErrorOr<void> SdlDesktop::Show(HWND window, const std::string& title) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return Error::Failed("no such window");
    }
    window_ = SDL_CreateWindow(title.c_str(), rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) {
        return Error::Failed(std::string("cannot open a window: ") + SDL_GetError());
    }
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) {
        return Error::Failed(std::string("cannot draw in the window: ") + SDL_GetError());
    }
    shown_ = window;
    ShowPixels();
    return {};
}

void SdlDesktop::SetTitle(const std::string& title) {
    if (window_ != nullptr) {
        SDL_SetWindowTitle(window_, title.c_str());
    }
}

bool SdlDesktop::Step(const std::function<void(int key)>& onKey) {
    bool open = true;
    RECT frame{};
    GetWindowRect(shown_, &frame);
    auto screen = [&](int x, int y) { return POINT{frame.left + x, frame.top + y}; };
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                open = false;
                break;
            case SDL_MOUSEMOTION:
                QueueMouse(InputKind::Move, MouseButton::Left,
                           screen(event.motion.x, event.motion.y));
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                QueueMouse(event.type == SDL_MOUSEBUTTONDOWN ? InputKind::Down : InputKind::Up,
                           ButtonOf(event.button.button), screen(event.button.x, event.button.y));
                break;
            case SDL_MOUSEWHEEL: {
                int x = 0, y = 0;
                SDL_GetMouseState(&x, &y);
                // SDL's positive y is away from the user, as Windows' wheel delta.
                QueueMouse(InputKind::Wheel, MouseButton::Left, screen(x, y),
                           event.wheel.y * WHEEL_DELTA);
                break;
            }
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    SetWindowPos(shown_, nullptr, 0, 0, event.window.data1, event.window.data2,
                                 SWP_NOMOVE | SWP_NOZORDER);
                    lastPresents_ = -1;
                } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    lastPresents_ = -1;
                }
                break;
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_ESCAPE) {
                    open = false;
                } else if (onKey) {
                    const int key = TranslateKey(event.key.keysym.sym);
                    if (key != 0) {
                        onKey(key);
                    }
                }
                break;
            default:
                break;
        }
    }
    const std::uint64_t now = SDL_GetTicks64();
    Idle(static_cast<DWORD>(std::min<std::uint64_t>(now - lastTicks_, 1000)));
    lastTicks_ = now;
    FollowCursor();
    ShowPixels();
    return open && IsWindow(shown_);
}

void SdlDesktop::ShowPixels() {
    if (renderer_ == nullptr || !IsWindow(shown_)) {
        return;
    }
    int presents = PresentCount(shown_);
    for (HWND child : GetChildren(shown_)) {
        presents += PresentCount(child);
    }
    const std::uint64_t now = Elapsed();
    if (presents == lastPresents_ && now - lastShown_ < 1000) {
        return;
    }
    lastPresents_ = presents;
    lastShown_ = now;
    const PixelImage image = CaptureWindow(shown_);
    if (image.width <= 0 || image.height <= 0) {
        return;
    }
    if (texture_ == nullptr || textureWidth_ != image.width || textureHeight_ != image.height) {
        if (texture_)
            SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     image.width, image.height);
        textureWidth_ = image.width;
        textureHeight_ = image.height;
    }
    if (texture_ == nullptr) {
        return;
    }
    SDL_UpdateTexture(texture_, nullptr, image.pixels.data(),
                      image.width * static_cast<int>(sizeof(std::uint32_t)));
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

void SdlDesktop::FollowCursor() {
    HCURSOR cursor = GetCursor();
    if (cursor == shownCursor_) {
        return;
    }
    shownCursor_ = cursor;
    SDL_Cursor*& shown = cursors_[cursor];
    if (shown == nullptr) {
        const CursorImage* image = GetCursorImage(cursor);
        if (image != nullptr && image->width > 0 && image->height > 0) {
            SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
                const_cast<std::uint32_t*>(image->pixels.data()), image->width, image->height, 32,
                image->width * 4, SDL_PIXELFORMAT_ARGB8888);
            if (surface != nullptr) {
                shown = SDL_CreateColorCursor(surface, image->hotX, image->hotY);
                SDL_FreeSurface(surface);
            }
        }
        if (shown == nullptr) {
            shown = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        }
    }
    if (shown != nullptr) {
        SDL_SetCursor(shown);
    }
}
