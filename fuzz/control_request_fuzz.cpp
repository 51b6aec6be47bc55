// Parses arbitrary bytes as a control request: an accepted request is a query or input on the
// screen (never one that names a file), and a refusal always says why in one line.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/control_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  std::string_view line(reinterpret_cast<const char*>(data), size);
  auto request = sim::ParseControlRequest(line, &error);
  if (!request) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (!error.empty()) std::abort();
  if (request->verb != sim::ControlVerb::Input) return 0;
  const sim::ScriptCommand& input = request->input;
  if (!input.file.empty() || input.verb == sim::ScriptVerb::Shot || input.verb == sim::ScriptVerb::Dump ||
      input.verb == sim::ScriptVerb::Expect) {
    std::abort();
  }
  if (input.x < 0 || input.x > 319 || input.y < 0 || input.y > 239 || input.key > 0xFF) std::abort();
  return 0;
}
