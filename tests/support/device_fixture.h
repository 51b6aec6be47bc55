// A test device with the default image laid: the registry seed and the hardware defaults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "device/default_image.h"
#include "tests/support/test_device.h"

namespace testing_support {

class ImagedDevice : public TestDevice {
 public:
  ImagedDevice() { device::LayDefaultImage(); }
};

std::vector<std::uint8_t> ReadHostFile(const std::filesystem::path& file);
void WriteHostFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);

}  // namespace testing_support
