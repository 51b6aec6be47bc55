// The running utility's control channel: devicectl's requests (ps, input, screenshot, dump) come
// in on the device's control socket. A thread of the channel's own takes the connections and
// reads their lines as they arrive; the request is then carried out on the program's thread when
// it is idle, as a script command would be, and the answer goes back from the channel's thread,
// so a slow reader never holds up the program.
#pragma once

#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/kernel/control_socket.h"
#include "sim/control_request.h"

namespace sim {

class ControlChannel {
 public:
  // Listens on the device root's control socket; mode names the front end ("headless" or
  // "window"). Throws std::runtime_error with a one-line reason.
  ControlChannel(const std::filesystem::path& deviceRoot, std::string mode);
  // Stops listening and removes the socket; requests still waiting are told the program ended.
  ~ControlChannel();
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  // On the program's thread when it is idle: carries out the requests that have come, in order,
  // up to and including the first one that posts input (the program then has work to do). True
  // when one posted input.
  bool ServeWaiting();

  // A connection whose request line is still coming in.
  struct Reading {
    int fd;
    std::string line;
    std::chrono::steady_clock::time_point deadline;
  };

 private:
  struct Waiting {
    int fd;
    ControlRequest request;
  };
  struct Answer {
    int fd;
    bool ok;
    std::string payload;
  };
  void Listen();
  // Carries out a request line that has come in: answered at once when it needs not the program,
  // otherwise queued for it.
  void Take(int fd, const std::string& line);
  void Wake();

  kernel::ControlListener m_listener;
  std::string m_mode;
  int m_wake[2] = {-1, -1};
  std::mutex m_lock;
  std::deque<Waiting> m_waiting;
  std::deque<Answer> m_answers;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace sim
