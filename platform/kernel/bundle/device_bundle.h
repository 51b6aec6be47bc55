// Device bundles: a whole device as one tar archive that people can read. It holds
//   registry.reg   both hives as REGEDIT4 text
//   state.json     the hardware state
//   logs.json      the key, sound and reset logs
//   files/...      the device's folders and files, with their modes (read-only) and times (to the
//                  nanosecond, in pax records)
//   bundle.json    the closing record: the format and the count of entries before it
// Saving the device a bundle was laid from gives the same archive apart from the time stamps of
// the first three parts and the closing record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace kernel {

// A bundle that cannot be laid, with a one-line reason; nothing was left behind.
struct BundleError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Limits a bundle must keep: one entry's size, the files' sum, and the number of entries.
constexpr std::uint64_t kLargestBundleEntry = 64ull << 20;
constexpr std::uint64_t kLargestBundleTotal = 1ull << 30;
constexpr std::size_t kMostBundleEntries = 100000;

// Writes the current device to file (through a temporary file beside it, renamed when complete).
// Throws BundleError.
void SaveDeviceBundle(const std::filesystem::path& file);

// Lays the bundle into root: a new or empty folder, or (with replace) any device root. The whole is
// laid in a folder beside root first and moved in place only when every part has been checked and
// written, so a bad bundle leaves root as it was. Throws BundleError.
void LoadDeviceBundle(const std::filesystem::path& file, const std::filesystem::path& root, bool replace);

}  // namespace kernel
