// The settings pages run modally over a stand-in main window, so the device close key's close
// request can be seen; helpers to look at a page, work it, leave it and count its snapshots.
#pragma once

#include <memory>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_snapshot.h"
#include "platform/afx/winapp.h"
#include "platform/afx/wnd.h"
#include "platform/gwes/controls/trackbar.h"
#include "platform/gwes/surface.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/registry.h"
#include "res/resource.h"
#include "screens/snapshot_request.h"
#include "tests/screens/screen_fixture.h"

namespace screens_test {

class PageTest : public ScreenTest {
 protected:
  PageTest() {
    main.CreateEx(0, nullptr, u"QuorvaneUtility", WS_POPUP | WS_VISIBLE, 0, 0, gwes::kScreenWidth, gwes::kScreenHeight,
                  nullptr, 0);
    app.m_pMainWnd = &main;
    s_snapshots = 0;
    SetSnapshotWriter([] { return ++s_snapshots, SaveSnapshot(); });
  }
  ~PageTest() override {
    app.m_pMainWnd = nullptr;
    SetSnapshotWriter(nullptr);
  }

  // The ways off a page: OK (the button or Enter), and those that cancel it.
  enum class Way { Ok, Enter, CancelButton, Escape, DeviceCancel, DeviceClose, CloseRequest };
  static void Leave(Way way) {
    switch (way) {
      case Way::Ok: Press(IDOK); break;
      case Way::Enter: Key(VK_RETURN); break;
      case Way::CancelButton: Press(IDCANCEL); break;
      case Way::Escape: Key(VK_ESCAPE); break;
      case Way::DeviceCancel: Key(VK_DEVICE_CANCEL); break;
      case Way::DeviceClose: Key(VK_DEVICE_CLOSE); break;
      case Way::CloseRequest: PostMessageW(TopWindow(), WM_CLOSE, 0, 0); break;
    }
  }
  // Takes a close request for the main window if one waits.
  bool CloseRequestPosted() {
    MSG msg;
    return PeekMessageW(&msg, main.m_hWnd, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
  }

  static HWND Item(int id) { return GetDlgItem(TopWindow(), id); }
  static std::u16string Text(int id) {
    WCHAR text[64] = {};
    GetWindowTextW(Item(id), text, 64);
    return text;
  }
  static int Pos(int sliderId) { return static_cast<int>(SendMessageW(Item(sliderId), TBM_GETPOS, 0, 0)); }
  // Taps control `id` in its middle.
  static void Press(int id) {
    RECT r = WindowRect(Item(id));
    Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // Inputs of the table rows: a page's left or right arrow button, or a key (0: none).
  static constexpr BYTE kLeftArrow = 1, kRightArrow = 2;
  static void Input(BYTE input, int leftArrow, int rightArrow) {
    if (input == kLeftArrow || input == kRightArrow) {
      Press(input == kLeftArrow ? leftArrow : rightArrow);
    } else if (input != 0) {
      Key(input);
    }
  }
  // A DWORD value of the registry; nullopt when the value or its key is missing.
  static std::optional<DWORD> RegDword(HKEY root, const char16_t* path, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? std::optional<DWORD>(value) : std::nullopt;
  }
  // Stores the value (nullopt: removes it) when its key exists.
  static void SetRegDword(HKEY root, const char16_t* path, const char16_t* name, std::optional<DWORD> value) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    if (value) RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD));
    if (!value) RegDeleteValueW(key, name);
    RegCloseKey(key);
  }
  static constexpr const char16_t* kMultiLang = u"Software\\Tavix\\MultiLang";
  // The languages the device lists: "TatolSupport" and LangID1 ... in order (kNoLanguage leaves that
  // value out).
  static constexpr DWORD kNoLanguage = 0xFFFFFFFF;
  static void SetLanguages(const std::vector<DWORD>& ids) {
    SetRegDword(HKEY_LOCAL_MACHINE, kMultiLang, u"TatolSupport", static_cast<DWORD>(ids.size()));
    for (std::size_t i = 0; i < std::max<std::size_t>(ids.size(), 9); ++i) {
      std::string name = "LangID" + std::to_string(i + 1);
      SetRegDword(HKEY_LOCAL_MACHINE, kMultiLang, std::u16string(name.begin(), name.end()).c_str(),
                  i < ids.size() && ids[i] != kNoLanguage ? std::optional(ids[i]) : std::nullopt);
    }
  }
  static kernel::DeviceStore& Store() { return kernel::CurrentDevice().Store(); }

  // Puts a colour no skin has on the screen at (x, y); it stays until something draws there.
  static void Mark(int x, int y) { gwes::Screen()->At(x, y) = kMark; }
  static bool Marked(int x, int y) { return (gwes::Screen()->Pixel(x, y) & gwes::kColourBits) == kMark; }
  static constexpr std::uint32_t kMark = 0x00123457;

  // Steps that grab the thumb of the slider at (56, 112), move it `moves` times by `dx` pixels,
  // calling `check(i)` after move i, and let go.
  static std::deque<std::function<void()>> Drag(int sliderId, int dx, int moves, std::function<void(int)> check) {
    auto grab = std::make_shared<POINT>();
    std::deque<std::function<void()>> steps = {[=] {
      RECT thumb{};
      SendMessageW(Item(sliderId), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      *grab = {56 + (thumb.left + thumb.right) / 2, 112 + (thumb.top + thumb.bottom) / 2};
      gwes::PostStylus(gwes::StylusAction::Down, grab->x, grab->y);
    }};
    for (int i = 1; i <= moves; ++i) {
      steps.push_back([=] { gwes::PostStylus(gwes::StylusAction::Move, grab->x + dx * i, grab->y); });
      steps.push_back([=] { check(i); });
    }
    steps.push_back([=] { gwes::PostStylus(gwes::StylusAction::Up, grab->x + dx * moves, grab->y); });
    return steps;
  }

  inline static int s_snapshots = 0;
  CWinApp app;
  CWnd main;
};

}  // namespace screens_test
