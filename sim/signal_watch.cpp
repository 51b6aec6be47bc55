#include "sim/signal_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace sim {
namespace {

constexpr int kWatched[] = {SIGINT, SIGTERM};
// The handler passes the signal's number through this pipe; a zero byte stops the watching thread.
int g_pipe[2] = {-1, -1};
std::atomic<int> g_received{0};
struct sigaction g_previous[2];

void OnSignal(int signal) {
  if (g_received.fetch_add(1) > 0) _exit(128 + signal);
  char byte = static_cast<char>(signal);
  (void)!write(g_pipe[1], &byte, 1);
}

}  // namespace

SignalWatch::SignalWatch(std::function<void(int)> onFirst) : m_onFirst(std::move(onFirst)) {
  g_received = 0;
  if (pipe2(g_pipe, O_CLOEXEC) != 0) return;
  m_thread = std::thread([this] {
    char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1 && byte != 0) m_onFirst(byte);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) sigaction(kWatched[i], &action, &g_previous[i]);
}

SignalWatch::~SignalWatch() {
  if (!m_thread.joinable()) return;
  for (int i = 0; i < 2; ++i) sigaction(kWatched[i], &g_previous[i], nullptr);
  char stop = 0;
  (void)!write(g_pipe[1], &stop, 1);
  m_thread.join();
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

}  // namespace sim
