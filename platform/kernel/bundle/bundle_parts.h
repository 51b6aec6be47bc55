// The parts of a device bundle other than its files, as text: the hardware state and the logs as
// JSON, one entry a line so two bundles diff line by line. Formatting and parsing are pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel/device_store.h"

namespace kernel {

struct DeviceLogs {
  std::vector<KeyLogEntry> keys;
  std::vector<SoundLogEntry> sounds;
  std::vector<ResetLogEntry> resets;
  bool operator==(const DeviceLogs&) const;
};

// {"backlight": 5, "store_block": {"size": 262144, "hex": "00ff"}, ...}: a blob's hex leaves out its
// trailing zero bytes, which the size restores.
std::string FormatStateJson(const std::vector<StateEntry>& state);
std::optional<std::vector<StateEntry>> ParseStateJson(std::string_view text, std::string* error);

// {"keys": [{"vk": .., "scan": .., "flags": .., "extra": ..}], "sounds": [{"flags": .., "bytes": ..,
// "duration_ms": .., "checksum": .., "volume": N|null}], "resets": [{"device_time": "..", "failed": B}]}
std::string FormatLogsJson(const DeviceLogs& logs);
std::optional<DeviceLogs> ParseLogsJson(std::string_view text, std::string* error);

}  // namespace kernel
