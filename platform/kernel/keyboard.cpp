#include "platform/kernel/keyboard.h"

#include <mutex>

#include "platform/kernel/device_root.h"
#include "platform/kernel/device_store.h"

namespace kernel {
namespace {

std::mutex g_sinkLock;
std::function<void(BYTE, BYTE, DWORD)> g_keySink;

}  // namespace

void SetKeyEventSink(std::function<void(BYTE vk, BYTE scan, DWORD flags)> sink) {
  std::lock_guard guard(g_sinkLock);
  g_keySink = std::move(sink);
}

}  // namespace kernel

// The key is logged before it is delivered, so the log shows it even when the sink's window
// system reacts by ending the program.
void keybd_event(BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extraInfo) {
  kernel::CurrentDevice().Store().AppendKeyLog({vk, scan, flags, static_cast<std::uint64_t>(extraInfo)});
  std::function<void(BYTE, BYTE, DWORD)> sink;
  {
    std::lock_guard guard(kernel::g_sinkLock);
    sink = kernel::g_keySink;
  }
  if (sink) sink(vk, scan, flags);
}
