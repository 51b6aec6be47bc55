#include "sim/display/device_frame.h"

#include <algorithm>

#include "platform/gwes/rect.h"
#include "platform/gwes/surface.h"
#include "platform/gwes/virtual_keys.h"
#include "sim/display/desk_canvas.h"

namespace sim {
namespace {

constexpr int kMargin = 20;
constexpr int kStripHeight = 18;
constexpr int kKeyColumn = kMargin + gwes::kScreenWidth + kMargin;  // 360
constexpr int kKeyWidth = 40;
constexpr int kKeyGap = 5;
constexpr int kColumn0 = kKeyColumn;
constexpr int kColumn1 = kColumn0 + kKeyWidth + kKeyGap;
constexpr int kColumn2 = kColumn1 + kKeyWidth + kKeyGap;
constexpr int kKeysRight = kColumn2 + kKeyWidth;  // 490
constexpr int kScreenBottom = kMargin + gwes::kScreenHeight;

constexpr RECT KeyAt(int left, int top, int height = 32) { return RECT{left, top, left + kKeyWidth, top + height}; }

// The power key across the top of the column, the volume keys under it, the arrows as a pad round
// Enter, and the keys that leave at the bottom, level with the screen's lower edge.
constexpr FrameKey kKeys[] = {
    {"Escape", "Escape", "Esc", "Esc", VK_ESCAPE, KeyAt(kColumn0, kScreenBottom - 32)},
    {"Enter", "Enter", "Enter", "Enter", VK_RETURN, KeyAt(kColumn1, 134)},
    {"Up", "\u25B2", "Up", "Up", VK_UP, KeyAt(kColumn1, 98)},
    {"Down", "\u25BC", "Down", "Down", VK_DOWN, KeyAt(kColumn1, 170)},
    {"Left", "\u25C0", "Left", "Left", VK_LEFT, KeyAt(kColumn0, 134)},
    {"Right", "\u25B6", "Right", "Right", VK_RIGHT, KeyAt(kColumn2, 134)},
    {"Cancel", "Cancel", "Backspace", "Bksp", VK_DEVICE_CANCEL, KeyAt(kColumn1, kScreenBottom - 32)},
    {"Close", "Close", "End", "End", VK_DEVICE_CLOSE, KeyAt(kColumn2, kScreenBottom - 32)},
    {"Volume up", "Vol +", "F6", "F6", VK_F6, KeyAt(kColumn0, 54)},
    {"Volume down", "Vol \u2212", "F7", "F7", VK_F7, KeyAt(kColumn1, 54)},
    {"Mute", "Mute", "F10", "F10", VK_F10, KeyAt(kColumn2, 54)},
    {"Power", "Power", "Pause", "Pause", VK_OFF, RECT{kColumn0, kMargin, kKeysRight, kMargin + 24}},
};

}  // namespace

std::span<const FrameKey> FrameKeys() { return kKeys; }

DeskLayout MakeDeskLayout(bool frame) {
  DeskLayout layout;
  if (!frame) {
    layout.width = gwes::kScreenWidth;
    layout.screen = RECT{0, 0, gwes::kScreenWidth, gwes::kScreenHeight};
    layout.strip = RECT{0, gwes::kScreenHeight, gwes::kScreenWidth, gwes::kScreenHeight + kStripHeight};
    layout.height = layout.strip.bottom;
    return layout;
  }
  layout.width = kKeysRight + kMargin;
  layout.screen = RECT{kMargin, kMargin, kMargin + gwes::kScreenWidth, kScreenBottom};
  layout.strip = RECT{kMargin, kScreenBottom + 10, kKeysRight, kScreenBottom + 10 + kStripHeight};
  layout.height = layout.strip.bottom + 12;
  layout.keys = kKeys;
  return layout;
}

DeskHit HitTest(const DeskLayout& layout, int x, int y) {
  const POINT point{x, y};
  DeskHit hit;
  if (PtInRect(&layout.screen, point)) {
    hit.kind = DeskHit::kScreen;
    hit.screen = POINT{x - layout.screen.left, y - layout.screen.top};
    return hit;
  }
  for (const FrameKey& key : layout.keys) {
    if (!PtInRect(&key.rect, point)) continue;
    hit.kind = DeskHit::kKey;
    hit.key = &key;
    break;
  }
  return hit;
}

POINT ScreenPointOf(const DeskLayout& layout, int x, int y) {
  return POINT{std::clamp<LONG>(x - layout.screen.left, 0, gwes::RectWidth(layout.screen) - 1),
               std::clamp<LONG>(y - layout.screen.top, 0, gwes::RectHeight(layout.screen) - 1)};
}

const FrameKey* FrameKeyOf(const DeskLayout& layout, BYTE vk) {
  auto found = std::find_if(layout.keys.begin(), layout.keys.end(), [vk](const FrameKey& key) { return key.vk == vk; });
  return found == layout.keys.end() ? nullptr : &*found;
}

void PaintDeviceFrame(DeskCanvas& canvas, const DeskLayout& layout, const FrameKey* pressed) {
  const RECT desk{0, 0, layout.width, layout.height};
  canvas.Fill(desk, RGB(236, 238, 241));
  if (layout.keys.empty()) return;
  // The body, a darker recess round the screen, and the keys as raised caps.
  canvas.RoundFill(RECT{4, 4, layout.width - 4, layout.height - 4}, 18, RGB(52, 57, 66));
  RECT recess = layout.screen;
  InflateRect(&recess, 4, 4);
  canvas.RoundFill(recess, 4, RGB(18, 20, 24));
  for (const FrameKey& key : layout.keys) {
    const bool down = &key == pressed;
    RECT cap = key.rect;
    canvas.RoundFill(cap, 5, down ? RGB(22, 24, 28) : RGB(30, 33, 39));
    if (!down)
      cap.bottom -= 2;  // the cap's lower edge shows as its side
    else
      OffsetRect(&cap, 0, 1);
    RECT face = cap;
    InflateRect(&face, -1, -1);
    canvas.RoundFill(face, 4, down ? RGB(64, 112, 180) : RGB(92, 99, 112));
    const bool power = key.vk == VK_OFF;
    RECT name = face;
    RECT pc = face;
    if (power) {
      name.right = name.left + gwes::RectWidth(face) / 2 + 10;
      pc.left = name.right;
    } else {
      name.bottom = name.top + gwes::RectHeight(face) * 3 / 5;
      pc.top = name.bottom - 2;
    }
    canvas.Text(name, key.label, 10, true, RGB(245, 246, 248), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    canvas.Text(pc, key.pcCap, 8, false, down ? RGB(220, 230, 245) : RGB(190, 196, 206),
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

}  // namespace sim
