// devicectl's commands: each reads or changes one part of a device's state. A command throws
// UsageError for words or input files it cannot understand (exit 2) and CommandError when the
// device refuses (exit 1); either way it has changed nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace devicectl {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct CommandError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Args = std::vector<std::string>;

void RegistryCommand(const Args& args, std::ostream& out);
void BacklightCommand(const Args& args, std::ostream& out);
void BatteryCommand(const Args& args, std::ostream& out);
void VolumeCommand(const Args& args, std::ostream& out);
void PowerCommand(const Args& args, std::ostream& out);
void PlatformTypeCommand(const Args& args, std::ostream& out);
void InstallerCommand(const Args& args, std::ostream& out);
void ResetCommand(const Args& args, std::ostream& out);
void StoreBlockCommand(const Args& args, std::ostream& out);
void ClockCommand(const Args& args, std::ostream& out);
void TimeZoneCommand(const Args& args, std::ostream& out);
void KeysCommand(const Args& args, std::ostream& out);
void SoundsCommand(const Args& args, std::ostream& out);
void EventCommand(const Args& args, std::ostream& out);
void TouchCommand(const Args& args, std::ostream& out);
void PsCommand(const Args& args, std::ostream& out);
void InputCommand(const Args& args, std::ostream& out);
void ScreenshotCommand(const Args& args, std::ostream& out);
void DumpCommand(const Args& args, std::ostream& out);
void SaveCommand(const Args& args, std::ostream& out);
// Lays a bundle into root (or the --device NEW among args); it opens no device before.
void LoadCommand(const Args& args, const std::filesystem::path& root, std::ostream& out);

// A word of the command line as a message shows it: control characters escaped (\n, \xHH) and
// cut after 80 characters, so a bad token can neither flood nor garble the terminal.
std::string Shown(const std::string& word);

// Shared word parsing. Numbers are decimal or 0x-hexadecimal and must fit the range.
std::uint64_t ParseNumber(const std::string& text, std::uint64_t max, const std::string& what);
bool ParseOnOff(const std::string& text, const std::string& what);
// Expects args to be exactly the given count (after the command word).
void ExpectAtMost(const Args& args, std::size_t count, const std::string& usage);

}  // namespace devicectl
