#include "sim/control_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/gwes/focus.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/paint.h"
#include "platform/gwes/window.h"
#include "platform/kernel/wide_string.h"
#include "sim/png_writer.h"
#include "sim/script_input.h"
#include "sim/window_dump.h"

namespace sim {
namespace {

// How long a connection may take to send its request line.
constexpr int kRequestTimeoutMs = 2000;
// Requests waiting for the program at most; more connections wait in the socket's backlog.
constexpr std::size_t kMostWaiting = 64;

// "PID MODE SCREEN TITLE": the screen in front (its framework class, "-" for none) and its title,
// the title's control characters made blanks.
std::string Info(const std::string& mode) {
  std::u16string title;
  std::string screen;
  if (HWND front = GetForegroundWindow()) {
    WCHAR text[256] = {};
    GetWindowTextW(front, text, 256);
    title = text;
    screen = WindowTypeName(front);
  }
  for (char16_t& c : title) {
    if (c < 0x20) c = u' ';
  }
  return std::to_string(::getpid()) + " " + mode + " " + (screen.empty() ? "-" : screen) + " " +
         kernel::WideToUtf8(title) + "\n";
}

std::string Screenshot() {
  auto screen = gwes::Screen();
  std::vector<std::uint32_t> pixels(screen->Pixels().size());
  gwes::CopyShownScreen(pixels.data());
  return EncodePng(screen->width, screen->height, pixels.data());
}

// Milliseconds until the first connection's request is overdue; -1 (no limit) without any.
int UntilFirstDeadline(const std::vector<ControlChannel::Reading>& reading) {
  if (reading.empty()) return -1;
  auto first = std::min_element(reading.begin(), reading.end(),
                                [](const auto& a, const auto& b) { return a.deadline < b.deadline; })->deadline;
  auto left = std::chrono::ceil<std::chrono::milliseconds>(first - std::chrono::steady_clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

}  // namespace

ControlChannel::ControlChannel(const std::filesystem::path& deviceRoot, std::string mode)
    : m_listener(deviceRoot), m_mode(std::move(mode)) {
  if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot make the control channel's pipe");
  m_thread = std::thread([this] { Listen(); });
}

ControlChannel::~ControlChannel() {
  {
    std::lock_guard guard(m_lock);
    m_stop = true;
  }
  Wake();
  m_thread.join();
  for (auto& waiting : m_waiting) kernel::SendControlReply(waiting.fd, false, "the program has ended");
  for (auto& answer : m_answers) kernel::SendControlReply(answer.fd, answer.ok, answer.payload);
  ::close(m_wake[0]);
  ::close(m_wake[1]);
}

void ControlChannel::Wake() {
  char byte = 1;
  [[maybe_unused]] auto written = ::write(m_wake[1], &byte, 1);
}

void ControlChannel::Listen() {
  // Connections whose request line is still coming in; each is read as its bytes arrive, so a
  // client that sends nothing holds up no other.
  std::vector<Reading> reading;
  for (;;) {
    bool full = false;
    {
      std::lock_guard guard(m_lock);
      full = m_waiting.size() + reading.size() >= kMostWaiting;
    }
    // While the program has enough to do, new connections wait until it answers one.
    std::vector<pollfd> fds = {{m_wake[0], POLLIN, 0}};
    if (!full) fds.push_back({m_listener.Fd(), POLLIN, 0});
    for (const auto& connection : reading) fds.push_back({connection.fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), UntilFirstDeadline(reading)) < 0) continue;
    char drain[64];
    while (::read(m_wake[0], drain, sizeof(drain)) > 0) {
    }
    std::deque<Answer> answers;
    {
      std::lock_guard guard(m_lock);
      if (m_stop) {
        for (const auto& connection : reading) kernel::SendControlReply(connection.fd, false, "the program has ended");
        return;
      }
      answers.swap(m_answers);
    }
    for (auto& answer : answers) kernel::SendControlReply(answer.fd, answer.ok, answer.payload);
    const auto now = std::chrono::steady_clock::now();
    for (int fd; !full && (fd = m_listener.Accept()) >= 0;) {
      reading.push_back({fd, {}, now + std::chrono::milliseconds(kRequestTimeoutMs)});
      full = reading.size() >= kMostWaiting;
    }
    std::erase_if(reading, [&](Reading& connection) {
      std::string error;
      auto progress = kernel::ContinueControlRequest(connection.fd, connection.line, &error);
      if (progress == kernel::RequestProgress::kMore && now < connection.deadline) return false;
      if (progress == kernel::RequestProgress::kComplete) {
        Take(connection.fd, connection.line);
      } else {
        if (progress == kernel::RequestProgress::kMore) {
          error = "no request line within " + std::to_string(kRequestTimeoutMs) + " ms";
        }
        kernel::SendControlReply(connection.fd, false, error);
      }
      return true;
    });
  }
}

void ControlChannel::Take(int fd, const std::string& line) {
  std::string error;
  auto request = ParseControlRequest(line, &error);
  if (!request) {
    kernel::SendControlReply(fd, false, error);
    return;
  }
  // The framebuffer can be copied from any thread: this one answers without the program.
  if (request->verb == ControlVerb::ShotNow) {
    std::string png = Screenshot();
    kernel::SendControlReply(fd, !png.empty(), png.empty() ? "cannot encode the screen" : png);
    return;
  }
  {
    std::lock_guard guard(m_lock);
    m_waiting.push_back({fd, *request});
  }
  gwes::WakeIdleThreads();
}

bool ControlChannel::ServeWaiting() {
  bool posted = false;
  while (!posted) {
    Waiting waiting;
    {
      std::lock_guard guard(m_lock);
      if (m_waiting.empty()) break;
      waiting = m_waiting.front();
      m_waiting.pop_front();
    }
    Answer answer{waiting.fd, true, {}};
    switch (waiting.request.verb) {
      case ControlVerb::Info: answer.payload = Info(m_mode); break;
      case ControlVerb::Shot:
      case ControlVerb::ShotNow: answer.payload = Screenshot(); break;
      case ControlVerb::Dump: answer.payload = DumpWindows(); break;
      case ControlVerb::Input: posted = PostScriptInput(waiting.request.input); break;
    }
    if (answer.payload.empty() && waiting.request.verb == ControlVerb::Shot) {
      answer = {waiting.fd, false, "cannot encode the screen"};
    }
    {
      std::lock_guard guard(m_lock);
      m_answers.push_back(std::move(answer));
    }
    Wake();
  }
  return posted;
}

}  // namespace sim
