// The program's own compiled resources (utility.rc), embedded in the executable.
#pragma once

#include <cstdint>
#include <span>

// The whole .res file: hand it to kernel::SetProgramResources at start.
std::span<const std::uint8_t> ProgramResourceBytes();
