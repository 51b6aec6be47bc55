#include "screens/platform_requests.h"

void SetBacklightLevel(DWORD level) {
  KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, level, nullptr, 0, nullptr);
}

DWORD QueryBacklightLevel() {
  DWORD level = 0;
  KernelIoControl(IOCTL_HAL_BACKLIGHT_LEVEL, nullptr, kBacklightQuery, nullptr, 0, &level);
  return level;
}

void ReadStoreBlock(BYTE* block) {
  DWORD returned = 0;
  KernelIoControl(IOCTL_HAL_BLOCK_READ, nullptr, 0, block, kStoreBlockSize, &returned);
}

void WriteStoreBlock(const BYTE* block) {
  KernelIoControl(IOCTL_HAL_BLOCK_WRITE, const_cast<BYTE*>(block), kStoreBlockSize, nullptr, 0, nullptr);
}

std::optional<DWORD> GetPlatformType() {
  DWORD type = 0;
  DWORD returned = 0;
  if (!KernelIoControl(IOCTL_HAL_GET_PLATFORM_TYPE, nullptr, 0, &type, sizeof type, &returned)) return std::nullopt;
  return type;
}

void ResetDevice() { KernelIoControl(IOCTL_HAL_RESET_DEVICE, nullptr, 0, nullptr, 0, nullptr); }
