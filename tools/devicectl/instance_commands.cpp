// devicectl's commands for a running utility: ps, input, screenshot and dump. They talk to the
// utility through its control socket in the device root's run folder.
#include <fstream>

#include "platform/kernel/control_socket.h"
#include "platform/kernel/device_root.h"
#include "tools/devicectl/commands.h"

namespace devicectl {
namespace {

// A screenshot or dump waits for the program to be idle; a program busy longer is reported.
constexpr int kAnswerTimeoutMs = 10000;

std::filesystem::path Root() { return kernel::CurrentDevice().Root(); }

// Takes a leading "--pid N" off args.
std::optional<int> TakePid(Args* args) {
  if (args->empty() || (*args)[0] != "--pid") return std::nullopt;
  if (args->size() < 2) throw UsageError("--pid needs a process id");
  int pid = static_cast<int>(ParseNumber((*args)[1], 0x7FFFFFFF, "--pid"));
  args->erase(args->begin(), args->begin() + 2);
  return pid;
}

// The instance with that process id, or else the newest one.
kernel::RunningInstance ChooseInstance(std::optional<int> pid) {
  auto instances = kernel::ListRunningInstances(Root());
  for (auto it = instances.rbegin(); it != instances.rend(); ++it) {
    if (!pid || it->pid == *pid) return *it;
  }
  if (pid) throw CommandError("no utility with process id " + std::to_string(*pid) + " runs on " + Root().string());
  throw CommandError("no utility runs on " + Root().string());
}

std::string Ask(const kernel::RunningInstance& instance, const std::string& request) {
  std::string error;
  auto reply = kernel::SendControlRequest(instance.socket, request, kAnswerTimeoutMs, &error);
  if (!reply) throw CommandError(error);
  if (!reply->ok) throw CommandError("the utility (process " + std::to_string(instance.pid) + ") refused: " + reply->payload);
  return reply->payload;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out.flush()) throw CommandError("cannot write " + Shown(path));
}

}  // namespace

void PsCommand(const Args& args, std::ostream& out) {
  ExpectAtMost(args, 0, "ps");
  for (const auto& instance : kernel::ListRunningInstances(Root())) {
    // An instance that ends while it is asked is simply no longer listed.
    std::string error;
    auto reply = kernel::SendControlRequest(instance.socket, "info", kAnswerTimeoutMs, &error);
    if (reply && reply->ok) out << reply->payload;
  }
}

void InputCommand(const Args& words, std::ostream&) {
  Args args = words;
  auto pid = TakePid(&args);
  constexpr const char* kUsage = "input [--pid N] tap|dbltap|down|move|up X Y | key|keydown|keyup|char K | wait MS";
  if (args.empty()) throw UsageError(std::string("usage: ") + kUsage);
  std::string request;
  for (const auto& word : args) {
    if (word.empty() || word.find_first_of(" \t\r\n#") != std::string::npos) {
      throw UsageError("bad word '" + Shown(word) + "'; usage: " + kUsage);
    }
    request += (request.empty() ? "" : " ") + word;
  }
  Ask(ChooseInstance(pid), request);
}

void ScreenshotCommand(const Args& words, std::ostream&) {
  Args args = words;
  auto pid = TakePid(&args);
  // --now: the screen as it is, without waiting for the program to be idle.
  bool now = std::erase(args, std::string("--now")) > 0;
  if (args.size() != 1) throw UsageError("usage: screenshot [--pid N] [--now] FILE.png");
  WriteFile(args[0], Ask(ChooseInstance(pid), now ? "shot-now" : "shot"));
}

void DumpCommand(const Args& words, std::ostream& out) {
  Args args = words;
  auto pid = TakePid(&args);
  ExpectAtMost(args, 1, "dump [--pid N] [FILE]");
  std::string text = Ask(ChooseInstance(pid), "dump");
  if (args.empty()) {
    out << text;
  } else {
    WriteFile(args[0], text);
  }
}

}  // namespace devicectl
