// The SDL display server: a window showing the device's framebuffer at an integer scale, dimmed by
// the backlight level, with the mouse as the stylus and a small key map for the device keys.
#include <SDL.h>

#include <cstring>
#include <vector>

#include "platform/gwes/surface.h"
#include "platform/gwes/virtual_keys.h"
#include "sim/display.h"

namespace {

constexpr int kWidth = gwes::kScreenWidth;
constexpr int kHeight = gwes::kScreenHeight;
constexpr Uint32 kPollMs = 8;

unsigned DeviceKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_F6: return VK_F6;
    case SDLK_F7: return VK_F7;
    case SDLK_F10: return VK_F10;
    case SDLK_BACKSPACE: return VK_DEVICE_CANCEL;
    case SDLK_END: return VK_DEVICE_CLOSE;
    default: return 0;
  }
}

// The backlight shows as brightness: level 1 is dim, level 8 full.
Uint8 Brightness(int level) {
  if (level < 1) level = 1;
  if (level > 8) level = 8;
  return static_cast<Uint8>(96 + (255 - 96) * (level - 1) / 7);
}

// Opens SDL's video on a real display: X11 or Wayland, or the driver named in SDL_VIDEODRIVER. SDL's
// own fallback would be its "offscreen" driver, which loads EGL and Mesa for nothing.
bool StartVideo(sim::DisplayConfig& config) {
  if (SDL_Init(SDL_INIT_EVENTS) != 0) return false;
  const char* named = SDL_getenv("SDL_VIDEODRIVER");
  bool started = named != nullptr && *named != 0
                     ? SDL_InitSubSystem(SDL_INIT_VIDEO) == 0
                     : (SDL_getenv("DISPLAY") != nullptr && SDL_VideoInit("x11") == 0) ||
                           (SDL_getenv("WAYLAND_DISPLAY") != nullptr && SDL_VideoInit("wayland") == 0);
  if (!started) {
    SDL_snprintf(config.failure, sizeof config.failure, "%s",
                 named || SDL_getenv("DISPLAY") || SDL_getenv("WAYLAND_DISPLAY")
                     ? SDL_GetError()
                     : "no display (DISPLAY and WAYLAND_DISPLAY are not set)");
    SDL_Quit();
  }
  return started;
}

struct SdlSession {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  ~SdlSession() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

}  // namespace

extern "C" int QuorvaneRunDisplay(sim::DisplayConfig& config, sim::FrameSource& frames, sim::InputTarget& input,
                                  const std::atomic<bool>& programEnded) {
  if (!StartVideo(config)) return 1;
  SdlSession sdl;
  sdl.window = SDL_CreateWindow(config.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth * config.scale,
                                kHeight * config.scale, SDL_WINDOW_SHOWN);
  if (sdl.window) sdl.renderer = SDL_CreateRenderer(sdl.window, -1, 0);
  if (sdl.renderer) {
    SDL_RenderSetLogicalSize(sdl.renderer, kWidth, kHeight);
    SDL_RenderSetIntegerScale(sdl.renderer, SDL_TRUE);
    sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
  }
  if (!sdl.texture) {
    SDL_snprintf(config.failure, sizeof config.failure, "%s", SDL_GetError());
    return 1;
  }

  std::vector<std::uint32_t> frame(kWidth * kHeight);
  std::uint64_t shownVersion = ~std::uint64_t{0};
  int shownLevel = -1;
  bool pressed = false;
  while (!programEnded.load()) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      switch (event.type) {
        case SDL_QUIT:
          input.CloseRequested();
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (event.button.button == SDL_BUTTON_LEFT) {
            pressed = true;
            input.Stylus(sim::StylusAction::Down, event.button.x, event.button.y);
          }
          break;
        case SDL_MOUSEMOTION:
          if (pressed) input.Stylus(sim::StylusAction::Move, event.motion.x, event.motion.y);
          break;
        case SDL_MOUSEBUTTONUP:
          if (event.button.button == SDL_BUTTON_LEFT && pressed) {
            pressed = false;
            input.Stylus(sim::StylusAction::Up, event.button.x, event.button.y);
          }
          break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
          if (unsigned vk = DeviceKey(event.key.keysym.sym); vk != 0) input.Key(vk, event.type == SDL_KEYDOWN);
          break;
        case SDL_WINDOWEVENT:
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED) shownVersion = ~std::uint64_t{0};
          break;
        default:
          break;
      }
    }
    std::uint64_t version = frames.FrameVersion();
    int level = frames.BacklightLevel();
    if (version != shownVersion || level != shownLevel) {
      frames.CopyFrame(frame.data());
      SDL_UpdateTexture(sdl.texture, nullptr, frame.data(), kWidth * 4);
      Uint8 light = Brightness(level);
      SDL_SetTextureColorMod(sdl.texture, light, light, light);
      SDL_RenderClear(sdl.renderer);
      SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, nullptr);
      SDL_RenderPresent(sdl.renderer);
      shownVersion = version;
      shownLevel = level;
    }
    SDL_WaitEventTimeout(nullptr, kPollMs);
  }
  return 0;
}
