// The SDL display server: a window showing the desk (the device's frame, keys and status strip) at
// an integer scale with the device's framebuffer in it, dimmed by the backlight level; the mouse
// and a small key map for the device keys go to the program, a few keys are the window's own (help,
// screenshot, zoom). It sleeps in SDL_WaitEvent between events; the program wakes it when there is
// something to show.
// The device's audio plays through SDL's audio subsystem, opened at the first sound.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/gwes/surface.h"
#include "platform/gwes/virtual_keys.h"
#include "sim/display.h"
#include "sim/display/press_latency.h"
#include "sim/display/zoom.h"

namespace {

constexpr int kWidth = gwes::kScreenWidth;
constexpr int kHeight = gwes::kScreenHeight;

unsigned DeviceKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;  // the shift state goes on, for Shift+Tab
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_F6: return VK_F6;
    case SDLK_F7: return VK_F7;
    case SDLK_F10: return VK_F10;
    case SDLK_BACKSPACE: return VK_DEVICE_CANCEL;
    case SDLK_END: return VK_DEVICE_CLOSE;
    case SDLK_PAUSE: return VK_OFF;
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
  // SIGINT and SIGTERM are the front end's to handle, not SDL's.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A click that brings the window into focus presses the frame key under it too: SDL would drop
  // a press that comes within a few milliseconds of the focus, as a click that merely focuses.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
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
  SDL_Texture* desk = nullptr;
  // A window destroyed from outside is left alone: the process ends at once.
  bool lost = false;
  ~SdlSession() {
    if (lost) return;
    if (desk) SDL_DestroyTexture(desk);
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
  }
};

// The largest scale of the desk the display can hold; a very large number when it cannot tell.
int LargestFittingScale(const sim::DisplayConfig& config) {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1 << 16;
  return sim::LargestScale(config.deskWidth, config.deskHeight, usable.w, usable.h);
}

// The window's own keys: F1 help, F12 or Ctrl+S a screenshot, Ctrl+= and Ctrl+- the zoom.
enum class WindowKeyKind { kNone, kCommand, kZoom };
struct WindowKeyAction {
  WindowKeyKind kind = WindowKeyKind::kNone;
  sim::HostCommand command = sim::HostCommand::Help;
  int zoom = 0;
};

WindowKeyAction WindowKey(const SDL_KeyboardEvent& key) {
  const bool control = (key.keysym.mod & KMOD_CTRL) != 0;
  switch (key.keysym.sym) {
    case SDLK_F1: return {WindowKeyKind::kCommand, sim::HostCommand::Help, 0};
    case SDLK_F12: return {WindowKeyKind::kCommand, sim::HostCommand::Screenshot, 0};
    case SDLK_s:
      return control ? WindowKeyAction{WindowKeyKind::kCommand, sim::HostCommand::Screenshot, 0} : WindowKeyAction{};
    case SDLK_EQUALS:
    case SDLK_PLUS:
    case SDLK_KP_PLUS: return control ? WindowKeyAction{WindowKeyKind::kZoom, {}, +1} : WindowKeyAction{};
    case SDLK_MINUS:
    case SDLK_KP_MINUS: return control ? WindowKeyAction{WindowKeyKind::kZoom, {}, -1} : WindowKeyAction{};
    default: return {};
  }
}

// A zoom resizes the window round the same desk; the renderer keeps the desk's aspect and scale.
void Carry(const WindowKeyAction& action, sim::DisplayConfig& config, SDL_Window* window, sim::InputTarget& input) {
  if (action.kind == WindowKeyKind::kCommand) return input.Command(action.command);
  int scale = sim::ZoomStep(config.scale, action.zoom, LargestFittingScale(config));
  if (scale == config.scale) return;
  config.scale = scale;
  SDL_SetWindowSize(window, config.deskWidth * scale, config.deskHeight * scale);
}

// The woken display looks again at the frame, the backlight and whether the program ended.
Uint32 g_wakeEvent = 0;

// A scale the screen cannot hold becomes the largest that fits, with a note.
void FitScale(sim::DisplayConfig& config) {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return;
  int fits = LargestFittingScale(config);
  if (config.scale <= fits) return;
  std::fprintf(stderr, "utility: --scale %d does not fit the %d x %d display; using %d\n", config.scale, usable.w,
               usable.h, fits);
  config.scale = fits;
}

void SetIcon(SDL_Window* window, const sim::DisplayConfig& config) {
  if (config.iconPixels == nullptr || config.iconWidth <= 0 || config.iconHeight <= 0) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(config.iconPixels),
                                                         config.iconWidth, config.iconHeight, 32,
                                                         config.iconWidth * 4, SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

// Xlib's own handlers call exit() from this thread while the program's thread still runs, which
// leaves the process hanging in the program's static destructors. Ours leave at once with a line.
[[noreturn]] void LeaveForDisplay(const char* reason) {
  std::fprintf(stderr, "utility: %s\n", reason);
  std::fflush(stderr);
  std::_Exit(1);
}

int OnXError(Display*, XErrorEvent* error) {
  // The window gone under SDL's requests: another client destroyed it.
  if (error->error_code == BadWindow || error->error_code == BadDrawable) {
    LeaveForDisplay("the window was destroyed from outside");
  }
  char line[160];
  std::snprintf(line, sizeof line, "the window failed on the display (X error %d, request %d)",
                static_cast<int>(error->error_code), static_cast<int>(error->request_code));
  LeaveForDisplay(line);
}

int OnXConnectionLost(Display*) { LeaveForDisplay("the display connection was lost"); }

void GuardX11(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // SDL already loaded Xlib; take its handler setters from there instead of linking it again.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (xlib == nullptr) return;
  using SetError = XErrorHandler (*)(XErrorHandler);
  using SetIoError = XIOErrorHandler (*)(XIOErrorHandler);
  auto setError = reinterpret_cast<SetError>(dlsym(xlib, "XSetErrorHandler"));
  auto setIoError = reinterpret_cast<SetIoError>(dlsym(xlib, "XSetIOErrorHandler"));
  if (setError) setError(OnXError);
  if (setIoError) setIoError(OnXConnectionLost);
  dlclose(xlib);
  // A window destroyed by another client shows as its DestroyNotify.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

// SDL may replace its X window while it sets up the renderer: only the one in use counts.
bool IsWindowDestroyed(const SDL_Event& event, SDL_Window* window) {
  if (event.type != SDL_SYSWMEVENT || event.syswm.msg->subsystem != SDL_SYSWM_X11 ||
      event.syswm.msg->msg.x11.event.type != DestroyNotify) {
    return false;
  }
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 &&
         event.syswm.msg->msg.x11.event.xdestroywindow.window == info.info.x11.window;
}

// The audio output: opened for the first sound and opened again when a sound's format differs, so
// SDL converts nothing it need not. A failure to open is remembered: the device plays silently.
struct AudioOutput {
  std::mutex lock;
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec spec{};
  bool unavailable = false;
};

AudioOutput& Audio() {
  static AudioOutput output;
  return output;
}

SDL_AudioFormat SampleFormat(int bitsPerSample) {
  switch (bitsPerSample) {
    case 8: return AUDIO_U8;
    case 16: return AUDIO_S16LSB;
    case 32: return AUDIO_S32LSB;
    default: return 0;
  }
}

bool OpenAudio(AudioOutput& audio, const SDL_AudioSpec& wanted) {
  if (audio.device != 0 && audio.spec.freq == wanted.freq && audio.spec.format == wanted.format &&
      audio.spec.channels == wanted.channels) {
    return true;
  }
  if (audio.device != 0) SDL_CloseAudioDevice(audio.device);
  audio.device = 0;
  if (SDL_WasInit(SDL_INIT_AUDIO) == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "utility: no audio output (%s); sounds play silently\n", SDL_GetError());
    audio.unavailable = true;
    return false;
  }
  audio.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &audio.spec, 0);
  if (audio.device == 0) {
    std::fprintf(stderr, "utility: cannot open the audio output (%s); sounds play silently\n", SDL_GetError());
    audio.unavailable = true;
    return false;
  }
  return true;
}

}  // namespace

extern "C" bool QuorvanePlaySound(int channels, int samplesPerSec, int bitsPerSample, const std::uint8_t* samples,
                                  std::size_t size, bool wait) {
  AudioOutput& audio = Audio();
  SDL_AudioDeviceID device = 0;
  Uint32 tailMs = 0;
  {
    std::lock_guard guard(audio.lock);
    SDL_AudioSpec wanted{};
    wanted.freq = samplesPerSec;
    wanted.format = SampleFormat(bitsPerSample);
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = 1024;
    if (audio.unavailable || wanted.format == 0 || channels < 1 || channels > 8 || size > 0x7FFFFFFF) return false;
    if (!OpenAudio(audio, wanted)) return false;
    device = audio.device;
    // A new sound takes the place of the one playing, as on the device.
    SDL_ClearQueuedAudio(device);
    if (SDL_QueueAudio(device, samples, static_cast<Uint32>(size)) != 0) return false;
    SDL_PauseAudioDevice(device, 0);
    tailMs = static_cast<Uint32>(1000u * audio.spec.samples / static_cast<unsigned>(audio.spec.freq)) + 1;
  }
  if (!wait) return true;
  // The queue empties into the device's buffer, which takes one more buffer's time to be heard.
  while (SDL_GetQueuedAudioSize(device) > 0) SDL_Delay(2);
  SDL_Delay(tailMs);
  return true;
}

extern "C" void QuorvaneWakeDisplay() {
  if (g_wakeEvent == 0 || SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
  SDL_Event event{};
  event.type = g_wakeEvent;
  SDL_PushEvent(&event);
}

extern "C" int QuorvaneRunDisplay(sim::DisplayConfig& config, sim::FrameSource& frames, sim::InputTarget& input,
                                  const std::atomic<bool>& programEnded) {
  if (!StartVideo(config)) return sim::kDisplayNotOpened;
  SdlSession sdl;
  g_wakeEvent = SDL_RegisterEvents(1);
  FitScale(config);
  sdl.window = SDL_CreateWindow(config.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                config.deskWidth * config.scale, config.deskHeight * config.scale, SDL_WINDOW_HIDDEN);
  if (sdl.window) {
    SetIcon(sdl.window, config);
    GuardX11(sdl.window);
    sdl.renderer = SDL_CreateRenderer(sdl.window, -1, 0);
  }
  if (sdl.renderer) {
    SDL_RenderSetLogicalSize(sdl.renderer, config.deskWidth, config.deskHeight);
    SDL_RenderSetIntegerScale(sdl.renderer, SDL_TRUE);
    sdl.texture = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
    sdl.desk = SDL_CreateTexture(sdl.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 config.deskWidth, config.deskHeight);
  }
  if (sdl.desk) SDL_SetTextureBlendMode(sdl.desk, SDL_BLENDMODE_BLEND);
  if (!sdl.texture || !sdl.desk) {
    SDL_snprintf(config.failure, sizeof config.failure, "%s", SDL_GetError());
    return sim::kDisplayNotOpened;
  }
  // Shown only now: an OpenGL renderer replaces the X window it was given, and a window shown
  // before that would be seen (and clicked, by a person or a tool) a moment before it is gone.
  SDL_ShowWindow(sdl.window);

  std::vector<std::uint32_t> frame(kWidth * kHeight);
  std::vector<std::uint32_t> desk(static_cast<std::size_t>(config.deskWidth) * config.deskHeight);
  const SDL_Rect screen{config.screenX, config.screenY, kWidth, kHeight};
  std::uint64_t shownVersion = ~std::uint64_t{0};
  std::uint64_t shownDesk = ~std::uint64_t{0};
  int shownLevel = -1;
  bool pressed = false;
  sim::PressLatency latency;
  while (!programEnded.load()) {
    std::uint64_t version = frames.FrameVersion();
    std::uint64_t deskVersion = frames.DeskVersion();
    int level = frames.BacklightLevel();
    if (version != shownVersion || level != shownLevel || deskVersion != shownDesk) {
      if (version != shownVersion) {
        frames.CopyFrame(frame.data());
        SDL_UpdateTexture(sdl.texture, nullptr, frame.data(), kWidth * 4);
      }
      if (deskVersion != shownDesk) {
        frames.CopyDesk(desk.data());
        SDL_UpdateTexture(sdl.desk, nullptr, desk.data(), config.deskWidth * 4);
      }
      Uint8 light = Brightness(level);
      SDL_SetTextureColorMod(sdl.texture, light, light, light);
      SDL_RenderClear(sdl.renderer);
      SDL_RenderCopy(sdl.renderer, sdl.texture, nullptr, &screen);
      SDL_RenderCopy(sdl.renderer, sdl.desk, nullptr, nullptr);
      SDL_RenderPresent(sdl.renderer);
      frames.FramePresented(version);
      latency.Presented(version);
      shownVersion = version;
      shownDesk = deskVersion;
      shownLevel = level;
    }
    SDL_Event event;
    if (!SDL_WaitEvent(&event)) {
      SDL_snprintf(config.failure, sizeof config.failure, "%s", SDL_GetError());
      return sim::kDisplayLost;
    }
    do {
      switch (event.type) {
        case SDL_QUIT:
          input.CloseRequested();
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (event.button.button == SDL_BUTTON_LEFT) {
            latency.Pressed(shownVersion);
            pressed = true;
            input.Pointer(sim::StylusAction::Down, event.button.x, event.button.y);
          }
          break;
        case SDL_MOUSEMOTION:
          if (pressed) input.Pointer(sim::StylusAction::Move, event.motion.x, event.motion.y);
          break;
        case SDL_MOUSEBUTTONUP:
          if (event.button.button == SDL_BUTTON_LEFT && pressed) {
            pressed = false;
            input.Pointer(sim::StylusAction::Up, event.button.x, event.button.y);
          }
          break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
          if (auto command = WindowKey(event.key); command.kind != WindowKeyKind::kNone) {
            if (event.type == SDL_KEYDOWN && !event.key.repeat) Carry(command, config, sdl.window, input);
          } else if (unsigned vk = DeviceKey(event.key.keysym.sym); vk != 0) {
            if (event.type == SDL_KEYDOWN) latency.Pressed(shownVersion);
            input.Key(vk, event.type == SDL_KEYDOWN);
          }
          break;
        case SDL_WINDOWEVENT:
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED) shownVersion = ~std::uint64_t{0};
          break;
        default:
          if (IsWindowDestroyed(event, sdl.window)) {
            SDL_snprintf(config.failure, sizeof config.failure, "the window was destroyed from outside");
            sdl.lost = true;
            return sim::kDisplayLost;
          }
          break;
      }
    } while (SDL_PollEvent(&event));
  }
  return sim::kDisplayEnded;
}
