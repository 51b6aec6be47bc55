// The message dialog opened by a page while the main menu is the main window: Enter and the device
// close key have their own rules then, and only then.
#include <gtest/gtest.h>

#include "screens/message_dlg.h"
#include "tests/screens/page_fixture.h"

namespace {

class MessageDlgTest : public screens_test::PageTest {};

// Enter brings the main window forward and ends with OK; the close key ends with Cancel and asks
// the main window to close; once the main window changed, the close key is the dialog manager's
// (nothing happens) and Enter reaches the focused OK button.
TEST_F(MessageDlgTest, EnterAndTheCloseKeyHaveTheirRulesOnlyUnderTheMainWindowItOpenedWith) {
  struct Row { bool mainChanged; std::vector<BYTE> keys; INT_PTR result; bool closeRequested; } rows[] = {
      {false, {VK_RETURN}, IDOK, false},
      {false, {VK_DEVICE_CLOSE}, IDCANCEL, true},
      {true, {VK_DEVICE_CLOSE, VK_RETURN}, IDOK, false},
  };
  CWnd later;
  later.CreateEx(0, nullptr, u"Later", WS_POPUP, 0, 0, 10, 10, nullptr, 0);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
    app.m_pMainWnd = &main;
    CMessageDlg message;
    message.SetTextId(IDS_CALIBRATION_SUCCEEDED);
    std::deque<std::function<void()>> steps = {[&] {
      EXPECT_EQ(message.m_pMainWndAtInit, &main);
      EXPECT_EQ(GetForegroundWindow(), TopWindow());  // the dialog
      if (row.mainChanged) app.m_pMainWnd = &later;
    }};
    for (BYTE key : row.keys) steps.push_back([key] { Key(key); });
    EXPECT_EQ(RunDialog(message, std::move(steps)), row.result);
    if (row.result == IDOK && !row.mainChanged) {
      EXPECT_EQ(GetForegroundWindow(), main.m_hWnd);
    }
    EXPECT_EQ(CloseRequestPosted(), row.closeRequested);
  }
}

}  // namespace
