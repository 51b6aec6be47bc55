// Outside text (an option, a script word, a file name) as an error message shows it: at most 80
// characters, with control characters and backslashes escaped, so that one bad token cannot flood
// or garble the terminal.
#pragma once

#include <string>
#include <string_view>

namespace sim {

constexpr std::size_t kShownTokenLength = 80;

// In single quotes; a longer token is cut and ends with "...".
std::string Shown(std::string_view token);

}  // namespace sim
