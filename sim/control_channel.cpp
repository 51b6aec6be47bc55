#include "sim/control_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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
  for (;;) {
    bool full = false;
    {
      std::lock_guard guard(m_lock);
      full = m_waiting.size() >= kMostWaiting;
    }
    // While the program has enough to do, new connections wait until it answers one.
    pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {m_listener.Fd(), POLLIN, 0}};
    if (::poll(fds, full ? 1 : 2, -1) < 0) continue;
    char drain[64];
    while (::read(m_wake[0], drain, sizeof(drain)) > 0) {
    }
    std::deque<Answer> answers;
    {
      std::lock_guard guard(m_lock);
      if (m_stop) return;
      answers.swap(m_answers);
    }
    for (auto& answer : answers) kernel::SendControlReply(answer.fd, answer.ok, answer.payload);
    for (int fd; !full && (fd = m_listener.Accept()) >= 0;) {
      std::string error;
      auto line = kernel::ReadControlRequest(fd, kRequestTimeoutMs, &error);
      auto request = line ? ParseControlRequest(*line, &error) : std::nullopt;
      if (!request) {
        kernel::SendControlReply(fd, false, error);
        continue;
      }
      // The framebuffer can be copied from any thread: this one answers without the program.
      if (request->verb == ControlVerb::ShotNow) {
        std::string png = Screenshot();
        kernel::SendControlReply(fd, !png.empty(), png.empty() ? "cannot encode the screen" : png);
        continue;
      }
      {
        std::lock_guard guard(m_lock);
        m_waiting.push_back({fd, *request});
        full = m_waiting.size() >= kMostWaiting;
      }
      gwes::WakeIdleThreads();
    }
  }
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
