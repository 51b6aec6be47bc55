// Reads arbitrary bytes as a settings snapshot: the reader must never read past the end, and a
// reading with values must have a complete tag.
#include <cstdint>
#include <cstdlib>

#include "app/settings_snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SnapshotReading reading = ReadSnapshotBytes({data, size});
  if (reading.values && !reading.tagComplete) std::abort();
  return 0;
}
