#pragma once
// The desktop with a real window: the headless desktop's windows, messages
// and timers, shown on the screen through SDL2. One top-level window of the
// desktop is shown in an SDL window of its size; SDL's mouse, wheel and size
// events become that window's input, SDL's displays are the monitors, and
// the desktop's clock follows real time.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/Error.h"
#include "platform/HeadlessDesktop.h"

// Keys beyond the characters, as Step hands them on.
inline constexpr int kKeyHome = 0x101;
inline constexpr int kKeyEnd = 0x102;

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Cursor;

class SdlDesktop final : public HeadlessDesktop {
  public:
    // Failed when no display can be opened.
    static ErrorOr<std::unique_ptr<SdlDesktop>> Open();
    ~SdlDesktop() override;

    // Shows a top-level window of this desktop in a real window.
    ErrorOr<void> Show(HWND window, const std::string& title);
    void SetTitle(const std::string& title);

    // Handles the events that arrived and lets the real time since the last
    // call pass on the desktop's clock (timers fire, windows paint), then shows
    // the window's pixels. Keys go to onKey as characters ('^' and 'v' for
    // the arrows up and down, '+' also for '=', kKeyHome and kKeyEnd). False once the user closed
    // the window or pressed Escape.
    bool Step(const std::function<void(int key)>& onKey);

  private:
    explicit SdlDesktop(std::vector<RECT> monitors);
    void ShowPixels();
    void FollowCursor();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    HWND shown_ = nullptr;
    std::uint64_t lastTicks_ = 0;
    std::uint64_t lastShown_ = 0;
    int lastPresents_ = -1;
    HCURSOR shownCursor_ = nullptr;
    std::map<HCURSOR, SDL_Cursor*> cursors_;
};
