// Fuzzes the wave-image parser: it must never read outside the image, and what it accepts must be
// a consistent PCM description whose samples lie inside the image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/kernel/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exactly sized copy, so that any read past the end is caught.
  std::vector<std::uint8_t> image(data, data + size);
  kernel::WaveFormat format;
  if (!kernel::ParseWave(image.data(), image.size(), &format)) return 0;
  const std::uint8_t* begin = image.data();
  const std::uint8_t* end = begin + image.size();
  if (format.data < begin || format.data > end || format.dataSize > static_cast<std::size_t>(end - format.data)) {
    std::abort();
  }
  if (format.channels == 0 || format.samplesPerSec == 0 || format.bitsPerSample == 0 || format.bitsPerSample % 8 != 0) {
    std::abort();
  }
  volatile std::uint8_t sum = 0;
  for (std::size_t i = 0; i < format.dataSize; ++i) sum = static_cast<std::uint8_t>(sum + format.data[i]);
  return 0;
}
