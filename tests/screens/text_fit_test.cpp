// Every text fits its place on every screen in every language: each screen is opened with each
// language module of the device image, and every text it shows is laid out with its control's font
// as the control draws it. A line wider than its control, or more lines than it is high, is a misfit. Only text metrics are taken: nothing is
// compared pixel by pixel. The program's own English table is the product's text as it ships (its
// "Chinese(Taiwan)" is wider than the language box); the modules are translated to fit.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "clock/time_zones.h"
#include "device/language_module_files.h"
#include "platform/gwes/controls/list_box.h"
#include "platform/gwes/controls/measure_dc.h"
#include "platform/gwes/controls/static.h"
#include "platform/gwes/window_class.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/power.h"
#include "platform/kernel/process.h"
#include "platform/kernel/wide_string.h"
#include "screens/backlight_dlg.h"
#include "screens/calibration_dlg.h"
#include "screens/date_time_dlg.h"
#include "screens/language_dlg.h"
#include "screens/main_menu_dlg.h"
#include "screens/message_dlg.h"
#include "screens/power_dlg.h"
#include "screens/volume_dlg.h"
#include "tests/screens/page_fixture.h"
#include "ui/local_string.h"
#include "ui/skin_label.h"

namespace {

std::string Utf8(std::u16string_view text) { return kernel::WideToUtf8(text); }

std::u16string TextOf(HWND hwnd) {
  WCHAR text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

std::u16string ClassOf(HWND hwnd) {
  WCHAR name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

HFONT FontOf(HWND hwnd) {
  if (auto* label = dynamic_cast<CSkinLabel*>(CWnd::FromHandlePermanent(hwnd))) return label->GetFont();
  return reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
}

class TextFitTest : public screens_test::PageTest {
 protected:
  // Notes each text of the visible controls on the screen that does not fit its place.
  void CheckScreen(const std::string& screen) {
    HWND top = TopWindow();
    for (HWND child = GetWindow(top, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT client{};
      GetClientRect(child, &client);
      gwes::MeasureDc measure(FontOf(child));
      auto width = [&](std::u16string_view text) { return measure.Width(text); };
      std::u16string kind = ClassOf(child);
      auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
      std::string where = screen + " control " + std::to_string(GetDlgCtrlID(child));
      if (kind == u"Static") {
        // As the static draws it: word-wrapped unless it says otherwise.
        UINT format = (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK;
        auto lines = gwes::LayoutText(TextOf(child), format, client.right, width);
        for (const auto& line : lines) Expect(where, line.text, line.width, client.right);
        // The last line may lose the bottom row of its cell, which holds at most the faint edge of
        // a descender.
        if (static_cast<int>(lines.size()) * measure.LineHeight() - 1 > client.bottom)
          Note(where + ": " + std::to_string(lines.size()) + " lines do not fit " + std::to_string(client.bottom) +
               " pixels: \"" + Utf8(TextOf(child)) + "\"");
      } else if (kind == u"Edit") {
        // The text area keeps a pixel inside the border.
        int room = client.right - ((style & WS_BORDER) ? 4 : 2);
        Expect(where, TextOf(child), width(TextOf(child)), room);
      } else if (kind == u"ListBox") {
        auto count = static_cast<int>(SendMessageW(child, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
          WCHAR item[128] = {};
          SendMessageW(child, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
          // Items are indented by two pixels.
          Expect(where, item, width(item), client.right - 2);
        }
      }
    }
  }
  void Expect(const std::string& where, std::u16string_view text, int need, int room) {
    if (need > room)
      Note(where + ": \"" + Utf8(text) + "\" needs " + std::to_string(need) + " of " + std::to_string(room) + " pixels");
  }
  void Note(const std::string& misfit) { m_misfits.push_back(m_language + ": " + misfit); }

  // Opens `page`, checks it, runs each variant's step and checks again, then leaves with Escape.
  template <typename Page>
  void Check(const std::string& screen, Page& page, std::vector<std::function<void()>> variants = {}) {
    std::deque<std::function<void()>> steps = {[=, this] { CheckScreen(screen); }};
    for (auto& variant : variants) {
      steps.push_back(variant);
      steps.push_back([=, this] { CheckScreen(screen); });
    }
    steps.push_back([] { Key(VK_ESCAPE); });
    RunDialog(page, std::move(steps));
  }

  template <typename Page>
  void Check(const std::string& screen) {
    Page page;
    Check(screen, page);
  }

  void CheckEveryScreen() {
    CMainMenuDlg menu;
    std::vector<std::function<void()>> focus;
    for (int id : {IDC_MENU_VOLUME, IDC_MENU_CALIBRATION, IDC_MENU_POWER, IDC_MENU_DATE_TIME, IDC_MENU_LANGUAGE,
                   IDC_MENU_EXIT})
      focus.push_back([id] { SetFocus(Item(id)); });
    Check("main menu", menu, focus);
    Check<CBacklightDlg>("backlight");
    Check<CVolumeDlg>("volume");
    Check<CCalibrationDlg>("calibration");
    Check<CDateTimeDlg>("date and time");
    // The status line with a battery, while charging and on external power; the four choices.
    for (BYTE flag : {BATTERY_FLAG_HIGH, BATTERY_FLAG_CHARGING, BATTERY_FLAG_NO_BATTERY}) {
      Store().SetInt(kernel::state::kBatteryFlag, flag);
      CPowerDlg page;
      Check("power", page,
            {[] { kernel::AdvanceVirtualTime(CPowerDlg::kRefreshMs); }, [] { Key(VK_LEFT); }, [] { Key(VK_LEFT); },
             [] { Key(VK_LEFT); }});
    }
    CLanguageDlg language(FALSE);
    Check("language", language);
    for (UINT id : {IDS_LOW_POWER, IDS_NO_NAVIGATOR_FILES, IDS_SWITCH_FAILED, IDS_CALIBRATION_SUCCEEDED}) {
      CMessageDlg message;
      message.SetTextId(id);
      Check("message " + std::to_string(id), message);
    }
    // The wait cursor draws its text on one line with the surface's default font, right-aligned 2
    // pixels inside its 120-pixel frame, clear of the ring of dots at the left (right edge x 29).
    CLocalString wait;
    wait.LoadString(IDS_PLEASE_WAIT);
    Expect("wait cursor", wait.GetText(), gwes::MeasureDc(nullptr).Width(wait.GetText()), 118 - 32);
  }

  // Loads the device image's language module `name` as the program's, in place of any before.
  static void LoadModule(const std::string& name) {
    if (LanguageModule != nullptr) FreeLibrary(std::exchange(LanguageModule, nullptr));
    std::string path = "\\Windows\\" + name;
    LanguageModule = LoadLibraryW(std::u16string(path.begin(), path.end()).c_str());
    ASSERT_NE(LanguageModule, nullptr) << name;
  }
  ~TextFitTest() override {
    if (LanguageModule != nullptr) FreeLibrary(std::exchange(LanguageModule, nullptr));
  }

  std::string m_language;
  std::vector<std::string> m_misfits;
};

TEST_F(TextFitTest, EveryTextFitsItsPlaceInEveryLanguage) {
  // Every language the page can name is listed, so each name is laid out.
  SetLanguages({0x0404, 0x0406, 0x0407, 0x0409, 0x040C, 0x0410, 0x0411, 0x0412, 0x0413, 0x041D, 0x0804, 0x0809,
                0x0813, 0x0816, 0x0C0A});

  ASSERT_EQ(device::LanguageModuleFiles().size(), 9u);
  for (const auto& file : device::LanguageModuleFiles()) {
    m_language = file.name;
    LoadModule(file.name);
    CheckEveryScreen();
  }
  std::string report;
  for (const std::string& misfit : m_misfits) report += misfit + "\n";
  EXPECT_TRUE(m_misfits.empty()) << m_misfits.size() << " texts do not fit:\n" << report;
}

// Each module holds all 153 strings, and each zone name carries the offset of the program's own.
TEST_F(TextFitTest, EveryModuleHasEveryStringAndKeepsTheZoneOffsets) {
  // The offset a zone's name gives; 1 when it gives none, which no zone is off by.
  auto bias = [](int zone) {
    LONG minutes = 1;
    ZoneBiasFromName(ZoneName(zone), &minutes);
    return minutes;
  };
  std::vector<LONG> own;
  for (int i = 0; i < 75; ++i) own.push_back(bias(i));
  for (const auto& file : device::LanguageModuleFiles()) {
    SCOPED_TRACE(file.name);
    LoadModule(file.name);
    for (UINT id = 1; id <= 153; ++id) {
      CLocalString text;
      EXPECT_TRUE(text.LoadString(id)) << id;
    }
    for (int i = 0; i < 75; ++i) EXPECT_EQ(bias(i), own[static_cast<std::size_t>(i)]) << Utf8(ZoneName(i).GetText());
  }
}

}  // namespace
