// devicectl driving a running utility through its control socket: ps, input, screenshot and dump
// against a headless run that waits for its next script line (a run without a script is the
// calibration run's, a window the wait cursor's).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "tests/support/running_utility.h"

namespace {

using testing_support::Devicectl;
using testing_support::ReadText;
using testing_support::RunningUtility;
using testing_support::ImagedRoot;

TEST(ControlChannel, DevicectlDrivesARunWaitingForItsNextScriptLine) {
  ImagedRoot root;
  // A dead program's socket is cleaned up by the next look.
  auto run = kernel::RunFolder(root.Path());
  std::filesystem::create_directories(run);
  std::string stale = (run / "utility-999999.sock").string();
  sockaddr_un address{AF_UNIX, {}};
  stale.copy(address.sun_path, sizeof(address.sun_path) - 1);
  const int staleFd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(staleFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  close(staleFd);
  RunningUtility utility(root, {"--script", "-"});
  const std::string pid = std::to_string(utility.Pid());
  utility.AwaitListed();
  EXPECT_EQ(Devicectl(root, {"ps"}).out, pid + " headless CMainMenuDlg QuorvaneUtility\n");
  EXPECT_FALSE(std::filesystem::exists(stale));
  auto socket = run / ("utility-" + pid + ".sock");
  using std::filesystem::perms;
  EXPECT_EQ(std::filesystem::status(socket).permissions(), perms::owner_read | perms::owner_write);
  EXPECT_EQ(std::filesystem::status(run).permissions(), perms::owner_all);

  // Input reaches the program while its script waits; the screenshot is the script's own shot.
  EXPECT_EQ(Devicectl(root, {"input", "--pid", pid, "key", "ENTER"}).status, 0);
  EXPECT_EQ(Devicectl(root, {"ps"}).out, pid + " headless CBacklightDlg \n");
  auto folder = root.Path().parent_path();
  ASSERT_EQ(Devicectl(root, {"screenshot", (folder / "ctl.png").string()}).status, 0);
  testing_support::FolderWatch watchShots(folder);
  utility.Script("shot " + (folder / "script.png").string() + "\n");
  watchShots.Await([&] { return ReadText(folder / "script.png").ends_with("IEND\xAE\x42\x60\x82"); });
  EXPECT_EQ(ReadText(folder / "ctl.png"), ReadText(folder / "script.png"));
  EXPECT_NE(Devicectl(root, {"dump"}).out.find("\"type\":\"CBacklightDlg\""), std::string::npos);

  // Bad requests get one line and the program goes on.
  struct Case {
    std::vector<std::string> words;
    std::string reason;
  } kCases[] = {
      {{"input", "tap", "400", "1"}, "usage: tap X Y"},
      {{"input", "key", "NOKEY"}, "usage: key K"},
      {{"input", "--pid", "1", "key", "ENTER"}, "no utility with process id 1"},
      {{"input", "shot", "/tmp/x.png"}, "take no file"},
      {{"input", "key ENTER"}, "bad word"},
  };
  for (const Case& c : kCases) {
    auto result = Devicectl(root, c.words);
    EXPECT_NE(result.status, 0) << c.reason;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  for (const std::string& request : {std::string(5000, 'x'), std::string("dump\0/etc", 9), std::string("\xff\xfe")}) {
    std::string error;
    auto reply = kernel::SendControlRequest(socket, request, 5000, &error);
    ASSERT_TRUE(reply) << error;
    EXPECT_FALSE(reply->ok) << request.substr(0, 20);
  }
  // A client that has sent half its line holds up nobody; its request is served once complete.
  const int slow = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un live{AF_UNIX, {}};
  socket.string().copy(live.sun_path, sizeof(live.sun_path) - 1);
  ASSERT_EQ(connect(slow, reinterpret_cast<sockaddr*>(&live), sizeof(live)), 0);
  ASSERT_EQ(send(slow, "in", 2, 0), 2);
  EXPECT_EQ(Devicectl(root, {"ps"}).out, pid + " headless CBacklightDlg \n");
  char reply[8] = {};
  EXPECT_EQ(recv(slow, reply, sizeof(reply), MSG_DONTWAIT), -1);
  ASSERT_EQ(send(slow, "fo\n", 3, 0), 3);
  EXPECT_EQ(recv(slow, reply, 3, MSG_WAITALL), 3);
  EXPECT_EQ(std::string(reply), "ok ");
  close(slow);

  // A running device is not replaced under its program.
  auto bundle = (folder / "device.tar").string();
  ASSERT_EQ(Devicectl(root, {"save", bundle}).status, 0);
  auto load = Devicectl(root, {"load", bundle, "--force"});
  EXPECT_TRUE(load.status == 1 && load.err.find("a utility runs on") != std::string::npos) << load.err;

  // The script runs out with the page open; the socket goes with the program.
  utility.EndScript();
  EXPECT_EQ(utility.Wait(), 3);
  EXPECT_TRUE(std::filesystem::is_empty(run));
  EXPECT_EQ(Devicectl(root, {"ps"}).out, "");
  EXPECT_EQ(Devicectl(root, {"input", "key", "ENTER"}).status, 1);
}

}  // namespace
