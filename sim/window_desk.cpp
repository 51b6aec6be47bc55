#include "sim/window_desk.h"

#include <cstdio>
#include <filesystem>

#include "platform/gwes/paint.h"
#include "sim/display/key_overlay.h"
#include "sim/display/status_strip.h"
#include "sim/png_writer.h"
#include "sim/session_recorder.h"
#include "sim/shown_text.h"

namespace sim {

WindowDesk::WindowDesk(bool frame, SessionRecorder* recorder)
    : m_layout(MakeDeskLayout(frame)),
      m_recorder(recorder),
      m_canvas(m_layout.width, m_layout.height),
      m_argb(static_cast<std::size_t>(m_layout.width) * m_layout.height) {
  std::lock_guard guard(m_lock);
  m_status = StatusTexts(ReadDeviceStatus());
  RepaintLocked();
}

void WindowDesk::RepaintLocked() {
  PaintDeviceFrame(m_canvas, m_layout, m_mouseKey ? m_mouseKey : m_keyboardKey);
  PaintStatusStrip(m_canvas, m_layout.strip, m_status);
  if (m_help) PaintKeyOverlay(m_canvas, m_layout.screen);
  const auto pixels = m_canvas.Pixels().Pixels();
  for (int y = 0; y < m_layout.height; ++y) {
    for (int x = 0; x < m_layout.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * m_layout.width + x;
      const bool screen = !m_help && PtInRect(&m_layout.screen, POINT{x, y});
      m_argb[i] = screen ? 0 : 0xFF000000u | (pixels[i] & gwes::kColourBits);
    }
  }
  ++m_version;
}

void WindowDesk::CopyDesk(std::uint32_t* pixels) {
  std::lock_guard guard(m_lock);
  std::copy(m_argb.begin(), m_argb.end(), pixels);
}

const FrameKey* WindowDesk::PressedKey() {
  std::lock_guard guard(m_lock);
  return m_mouseKey ? m_mouseKey : m_keyboardKey;
}

bool WindowDesk::HelpShown() {
  std::lock_guard guard(m_lock);
  return m_help;
}

void WindowDesk::PostStylus(gwes::StylusAction action, POINT point) {
  if (m_recorder) m_recorder->Stylus(action, point.x, point.y);
  gwes::PostStylus(action, point.x, point.y);
}

void WindowDesk::PostKey(BYTE vk, bool down) {
  if (m_recorder) m_recorder->Key(vk, down);
  gwes::PostKey(vk, down);
}

void WindowDesk::Pointer(gwes::StylusAction action, int x, int y) {
  std::unique_lock guard(m_lock);
  switch (action) {
    case gwes::StylusAction::Down: {
      if (m_help) {
        m_help = false;
        RepaintLocked();
        return;
      }
      DeskHit hit = HitTest(m_layout, x, y);
      if (hit.kind == DeskHit::kScreen) {
        m_stylusDown = true;
        guard.unlock();
        return PostStylus(action, hit.screen);
      }
      if (hit.kind != DeskHit::kKey || m_mouseKey) return;
      m_mouseKey = hit.key;
      RepaintLocked();
      guard.unlock();
      return PostKey(hit.key->vk, true);
    }
    case gwes::StylusAction::Move:
      if (!m_stylusDown) return;
      guard.unlock();
      return PostStylus(action, ScreenPointOf(m_layout, x, y));
    case gwes::StylusAction::Up:
      if (m_stylusDown) {
        m_stylusDown = false;
        guard.unlock();
        return PostStylus(action, ScreenPointOf(m_layout, x, y));
      }
      if (const FrameKey* key = m_mouseKey) {
        m_mouseKey = nullptr;
        RepaintLocked();
        guard.unlock();
        return PostKey(key->vk, false);
      }
      return;
  }
}

void WindowDesk::Key(BYTE vk, bool down) {
  {
    std::lock_guard guard(m_lock);
    const FrameKey* key = FrameKeyOf(m_layout, vk);
    const FrameKey* shown = down ? key : (m_keyboardKey == key ? nullptr : m_keyboardKey);
    if (key && shown != m_keyboardKey) {
      m_keyboardKey = shown;
      RepaintLocked();
    }
  }
  PostKey(vk, down);
}

void WindowDesk::ToggleHelp() {
  std::lock_guard guard(m_lock);
  m_help = !m_help;
  RepaintLocked();
}

bool WindowDesk::RefreshStatus() {
  std::vector<std::string> status = StatusTexts(ReadDeviceStatus());
  std::lock_guard guard(m_lock);
  if (status == m_status) return false;
  m_status = std::move(status);
  RepaintLocked();
  return true;
}

std::string ScreenshotName(const SYSTEMTIME& local) {
  char name[40];
  std::snprintf(name, sizeof name, "screen-%04u%02u%02u-%02u%02u%02u.png", local.wYear % 10000u, local.wMonth % 100u,
                local.wDay % 100u, local.wHour % 100u, local.wMinute % 100u, local.wSecond % 100u);
  return name;
}

std::optional<std::string> SaveScreenshot(const std::string& folder, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    *error = "cannot create the shots folder " + Shown(folder) + ": " + ec.message();
    return std::nullopt;
  }
  SYSTEMTIME local{};
  GetLocalTime(&local);
  const std::string name = ScreenshotName(local);
  std::filesystem::path path = std::filesystem::path(folder) / name;
  for (int n = 2; std::filesystem::exists(path, ec); ++n) {
    path = std::filesystem::path(folder) / (name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".png");
  }
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(gwes::kScreenWidth) * gwes::kScreenHeight);
  gwes::CopyShownScreen(pixels.data());
  if (!WritePng(path.string(), gwes::kScreenWidth, gwes::kScreenHeight, pixels.data(), error)) return std::nullopt;
  return path.string();
}

}  // namespace sim
