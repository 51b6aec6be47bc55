// SIGINT and SIGTERM as a request to close: the first one calls a function on a thread of the
// watch's own (never inside the signal handler), the second ends the process at once with status
// 128 + the signal, for a program that does not answer the first.
#pragma once

#include <functional>
#include <thread>

namespace sim {

class SignalWatch {
 public:
  // One watch at a time; it puts back the previous handlers when it goes.
  explicit SignalWatch(std::function<void(int signal)> onFirst);
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

 private:
  std::function<void(int)> m_onFirst;
  std::thread m_thread;
};

}  // namespace sim
