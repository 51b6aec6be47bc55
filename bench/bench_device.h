// A scratch device for one benchmark: a fresh root folder with the default image laid, opened as
// the process's current device on a virtual clock, and removed again at the end.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel/device_root.h"

namespace bench {

class CScratchDevice {
 public:
  CScratchDevice();
  ~CScratchDevice();
  CScratchDevice(const CScratchDevice&) = delete;
  CScratchDevice& operator=(const CScratchDevice&) = delete;

 private:
  std::filesystem::path m_root;
  std::shared_ptr<kernel::Device> m_device;
};

// A fresh empty folder under the system's temporary folder.
std::filesystem::path MakeScratchFolder();

// Runs a program with its output discarded and returns its exit status (-1 if it did not start).
int RunProgram(const std::vector<std::string>& argv);

}  // namespace bench
