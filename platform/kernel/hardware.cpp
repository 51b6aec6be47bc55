#include "platform/kernel/hardware.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/kernel/device_programs.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/time_zone.h"

namespace kernel {
namespace {

constexpr std::int64_t kDefaultBacklight = 5;
constexpr std::int64_t kDefaultPlatformType = 9;
constexpr DWORD kBacklightMin = 1;
constexpr DWORD kBacklightMax = 8;

std::mutex g_resetLock;
std::function<void()> g_resetHandler;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

void Returned(DWORD* bytesReturned, DWORD value) {
  if (bytesReturned) *bytesReturned = value;
}

// The backlight takes its level from the input size itself; size 9 asks for the level instead.
BOOL Backlight(DWORD inputSize, DWORD* bytesReturned) {
  auto& store = CurrentDevice().Store();
  if (inputSize == kBacklightQuery) {
    if (!bytesReturned) return Fail(ERROR_INVALID_PARAMETER);
    *bytesReturned = static_cast<DWORD>(store.GetInt(state::kBacklight).value_or(kDefaultBacklight));
    return TRUE;
  }
  if (inputSize < kBacklightMin || inputSize > kBacklightMax) return Fail(ERROR_INVALID_PARAMETER);
  store.SetInt(state::kBacklight, inputSize);
  Returned(bytesReturned, 0);
  return TRUE;
}

BOOL BlockRead(LPVOID output, DWORD outputSize, DWORD* bytesReturned) {
  if (!output || outputSize < kStoreBlockSize) return Fail(ERROR_INVALID_PARAMETER);
  auto* out = static_cast<std::uint8_t*>(output);
  std::fill_n(out, kStoreBlockSize, 0);
  if (auto block = CurrentDevice().Store().GetBlob(state::kStoreBlock)) {
    std::copy_n(block->begin(), std::min<std::size_t>(block->size(), kStoreBlockSize), out);
  }
  Returned(bytesReturned, kStoreBlockSize);
  return TRUE;
}

BOOL BlockWrite(LPVOID input, DWORD inputSize, DWORD* bytesReturned) {
  if (!input || inputSize < kStoreBlockSize) return Fail(ERROR_INVALID_PARAMETER);
  CurrentDevice().Store().SetBlob(state::kStoreBlock, input, kStoreBlockSize);
  Returned(bytesReturned, 0);
  return TRUE;
}

BOOL PlatformType(LPVOID output, DWORD outputSize, DWORD* bytesReturned) {
  if (!output || outputSize != sizeof(DWORD)) return Fail(ERROR_INVALID_PARAMETER);
  auto type = static_cast<DWORD>(CurrentDevice().Store().GetInt(state::kPlatformType).value_or(kDefaultPlatformType));
  std::memcpy(output, &type, sizeof type);
  Returned(bytesReturned, sizeof type);
  return TRUE;
}

// Every reset request is logged with the device's local time, whether or not it goes through.
BOOL ResetDevice() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  if (CurrentDevice().Store().RecordReset(stamp, state::kResetFail)) return Fail(ERROR_NOT_SUPPORTED);
  // A restart ends every program running on the device, a hung installer too.
  EndDevicePrograms();
  std::function<void()> handler;
  {
    std::lock_guard guard(g_resetLock);
    handler = g_resetHandler;
  }
  if (!handler) std::_Exit(0);  // like a power cycle: nothing of the process runs any more
  handler();
  return TRUE;
}

}  // namespace

void SetResetHandler(std::function<void()> handler) {
  std::lock_guard guard(g_resetLock);
  g_resetHandler = std::move(handler);
}

}  // namespace kernel

BOOL KernelIoControl(DWORD code, LPVOID input, DWORD inputSize, LPVOID output, DWORD outputSize,
                     DWORD* bytesReturned) {
  switch (code) {
    case IOCTL_HAL_BACKLIGHT_LEVEL:
      return kernel::Backlight(inputSize, bytesReturned);
    case IOCTL_HAL_BLOCK_READ:
      return kernel::BlockRead(output, outputSize, bytesReturned);
    case IOCTL_HAL_BLOCK_WRITE:
      return kernel::BlockWrite(input, inputSize, bytesReturned);
    case IOCTL_HAL_GET_PLATFORM_TYPE:
      return kernel::PlatformType(output, outputSize, bytesReturned);
    case IOCTL_HAL_RESET_DEVICE:
      return kernel::ResetDevice();
    default:
      return kernel::Fail(ERROR_NOT_SUPPORTED);
  }
}
