#include "host/app/SdlDesktop.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#include <SDL.h>
#pragma GCC diagnostic pop

#include <dlfcn.h>

#include <algorithm>

namespace {

// The SDL functions the desktop calls, taken from the library when a window
// is first asked for: a headless run never maps SDL and the thirty-odd
// libraries it brings (sound, X11, Wayland, D-Bus). The types are SDL's own.
// clang-format off
#define PLOTREX_SDL_CALLS(X) \
    X(CreateColorCursor) X(CreateRGBSurfaceWithFormatFrom) X(CreateRenderer) \
    X(CreateSystemCursor) X(CreateTexture) X(CreateWindow) X(DestroyRenderer) X(DestroyTexture) \
    X(DestroyWindow) X(FreeCursor) X(FreeSurface) X(GetDisplayBounds) X(GetError) \
    X(GetMouseState) X(GetNumVideoDisplays) X(GetTicks64) X(Init) X(PollEvent) X(Quit) \
    X(RenderClear) X(RenderCopy) X(RenderPresent) X(SetCursor) X(SetWindowTitle) \
    X(UpdateTexture)
// clang-format on

struct SdlCalls {
#define PLOTREX_SDL_MEMBER(name) decltype(&::SDL_##name) name = nullptr;
    PLOTREX_SDL_CALLS(PLOTREX_SDL_MEMBER)
#undef PLOTREX_SDL_MEMBER
};

// Set once SDL is loaded; it stays loaded until the process ends.
const SdlCalls* sdl = nullptr;

ErrorOr<void> LoadSdl() {
    static SdlCalls calls;
    if (sdl != nullptr) {
        return {};
    }
    void* library = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return Error::Failed(std::string("cannot load SDL: ") + ::dlerror());
    }
#define PLOTREX_SDL_LOOK_UP(name)                                                        \
    calls.name = reinterpret_cast<decltype(calls.name)>(::dlsym(library, "SDL_" #name)); \
    if (calls.name == nullptr) {                                                         \
        return Error::Failed("cannot load SDL: it lacks SDL_" #name);                    \
    }
    PLOTREX_SDL_CALLS(PLOTREX_SDL_LOOK_UP)
#undef PLOTREX_SDL_LOOK_UP
    sdl = &calls;
    return {};
}

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
    if (ErrorOr<void> loaded = LoadSdl(); !loaded) {
        return loaded.GetError();
    }
    if (sdl->Init(SDL_INIT_VIDEO) != 0) {
        return Error::Failed(std::string("cannot open a display: ") + sdl->GetError());
    }
    std::vector<RECT> monitors;
    const int count = sdl->GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds;
        if (sdl->GetDisplayBounds(i, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) {
            monitors.push_back(RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h});
        }
    }
    return std::unique_ptr<SdlDesktop>(new SdlDesktop(std::move(monitors)));
}

SdlDesktop::SdlDesktop(std::vector<RECT> monitors) : HeadlessDesktop(std::move(monitors)) {
    lastTicks_ = sdl->GetTicks64();
}

SdlDesktop::~SdlDesktop() {
    for (auto& [handle, cursor] : cursors_) {
        sdl->FreeCursor(cursor);
    }
    if (texture_)
        sdl->DestroyTexture(texture_);
    if (renderer_)
        sdl->DestroyRenderer(renderer_);
    if (window_)
        sdl->DestroyWindow(window_);
    sdl->Quit();
}

ErrorOr<void> SdlDesktop::Show(HWND window, const std::string& title) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        return Error::Failed("no such window");
    }
    window_ = sdl->CreateWindow(title.c_str(), rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) {
        return Error::Failed(std::string("cannot open a window: ") + sdl->GetError());
    }
    renderer_ = sdl->CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) {
        return Error::Failed(std::string("cannot draw in the window: ") + sdl->GetError());
    }
    shown_ = window;
    ShowPixels();
    return {};
}

void SdlDesktop::SetTitle(const std::string& title) {
    if (window_ != nullptr) {
        sdl->SetWindowTitle(window_, title.c_str());
    }
}

bool SdlDesktop::Step(const std::function<void(int key)>& onKey) {
    bool open = true;
    RECT frame{};
    GetWindowRect(shown_, &frame);
    auto screen = [&](int x, int y) { return POINT{frame.left + x, frame.top + y}; };
    SDL_Event event;
    while (sdl->PollEvent(&event)) {
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
                sdl->GetMouseState(&x, &y);
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
    const std::uint64_t now = sdl->GetTicks64();
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
            sdl->DestroyTexture(texture_);
        texture_ = sdl->CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888,
                                      SDL_TEXTUREACCESS_STREAMING, image.width, image.height);
        textureWidth_ = image.width;
        textureHeight_ = image.height;
    }
    if (texture_ == nullptr) {
        return;
    }
    sdl->UpdateTexture(texture_, nullptr, image.pixels.data(),
                       image.width * static_cast<int>(sizeof(std::uint32_t)));
    sdl->RenderClear(renderer_);
    sdl->RenderCopy(renderer_, texture_, nullptr, nullptr);
    sdl->RenderPresent(renderer_);
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
            SDL_Surface* surface = sdl->CreateRGBSurfaceWithFormatFrom(
                const_cast<std::uint32_t*>(image->pixels.data()), image->width, image->height, 32,
                image->width * 4, SDL_PIXELFORMAT_ARGB8888);
            if (surface != nullptr) {
                shown = sdl->CreateColorCursor(surface, image->hotX, image->hotY);
                sdl->FreeSurface(surface);
            }
        }
        if (shown == nullptr) {
            shown = sdl->CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        }
    }
    if (shown != nullptr) {
        sdl->SetCursor(shown);
    }
}
