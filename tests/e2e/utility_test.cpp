// The utility as its callers start it: on a device root, with options and a device command line.
#include <gtest/gtest.h>

#include <future>
#include <sstream>
#include <tuple>

#include "res/resource.h"
#include "tests/support/programs.h"

namespace {

using testing_support::ImagedRoot;
using testing_support::ScratchRoot;
using testing_support::Utility;

// A script that leaves whatever screen is open.
const std::string kLeave = "key ESCAPE\n";

// Also a long token with an escape byte: it is shown cut and escaped.
TEST(Utility, BadOptionsEndWithStatusTwoAndOneLine) {
  const std::vector<std::vector<std::string>> kBad = {
      {"--scale", "0"}, {"--scale", "x"}, {"--clock", "yesterday"}, {"--frob"}, {"--device"},
      {"--script", "/nonexistent/script.txt"}, {"--script", "/"}, {"--" + std::string(5000, 'z') + "\x1b[2J"},
      {"--headless", "--record", "session.script"},
  };
  for (auto words : kBad) {
    words.insert(words.begin(), QUORVANE_UTILITY_BIN);
    auto result = testing_support::RunProgram(words);
    EXPECT_EQ(result.status, 2) << words[1].substr(0, 20);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_EQ(result.err.rfind("utility: ", 0), 0u) << result.err;
    EXPECT_LT(result.err.size(), 160u);
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos);
  }
}

TEST(Utility, TwoInstancesStartedAtOnceBothEndCleanly) {
  ImagedRoot root;
  // One of them takes the mutex and shows its screen until Escape; the other ends at once.
  auto a = std::async(std::launch::async, [&] { return Utility(root, {"--headless", "--script", "-"}, kLeave); });
  auto b = std::async(std::launch::async,
                      [&] { return Utility(root, {"--headless", "--script", "-", "-SelLang"}, kLeave); });
  EXPECT_EQ(a.get().status, 0);
  EXPECT_EQ(b.get().status, 0);
}

// The dump line of the window with this class and id, or empty.
std::string DumpLine(const std::string& dump, const std::string& cls, int id) {
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\"class\":\"" + cls + "\"") != std::string::npos &&
        line.find(",\"id\":" + std::to_string(id) + ",") != std::string::npos)
      return line;
  }
  return {};
}

// The menu with its focused button, the backlight page's skinned slider (the device's level 5 in
// its range), and the date and time page's picker and zone list.
TEST(Utility, TheDumpNamesEachWindowsFrameworkClassAndItsControlState) {
  ScratchRoot root;
  auto menu = Utility(root, {"--headless", "--script", "-"}, "dump\nkey ENTER\ndump\nkey ESCAPE\nkey ESCAPE\n");
  ASSERT_EQ(menu.status, 0) << menu.err;
  auto page = Utility(root, {"--headless", "--clock", "2030-01-02T03:04:05", "--script", "-", "-SelTimezone"},
                      "dump\nkey ESCAPE\n");
  ASSERT_EQ(page.status, 0) << page.err;
  const std::tuple<const std::string&, const char*, int, std::string> rows[] = {
      {menu.out, "Dialog", 0, "\"type\":\"CMainMenuDlg\""},
      {menu.out, "Button", IDC_MENU_BACKLIGHT, "\"type\":\"CSkinButton\",\"id\":" + std::to_string(IDC_MENU_BACKLIGHT)},
      {menu.out, "Button", IDC_MENU_BACKLIGHT, "\"focus\":true"},
      {menu.out, "msctls_trackbar32", IDC_BACKLIGHT_SLIDER, "\"type\":\"CSkinSlider\""},
      {menu.out, "msctls_trackbar32", IDC_BACKLIGHT_SLIDER, "\"pos\":5,\"min\":1,\"max\":8"},
      {page.out, "SysDateTimePick32", 1004, "\"time\":\"2030-01-02T03:04:05\""},
      {page.out, "ComboBox", 1033, "\"sel\":29,\"items\":[\"GMT-12 Kwajalein\""},
  };
  for (const auto& [dump, windowClass, id, part] : rows) {
    EXPECT_NE(DumpLine(dump, windowClass, id).find(part), std::string::npos) << part << " in\n" << dump;
  }
}

}  // namespace
