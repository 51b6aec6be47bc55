#include "tests/support/programs.h"

#include <stdlib.h>

#include <sstream>
#include <stdexcept>

namespace testing_support {

ScratchRoot::ScratchRoot() {
  char pattern[] = "/tmp/quorvane-root-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = std::filesystem::path(pattern) / "device";
}

ImagedRoot::ImagedRoot() {
  auto init = Devicectl(*this, {"init"});
  if (init.status != 0) throw std::runtime_error("devicectl init failed: " + init.err);
}

ScratchRoot::~ScratchRoot() {
  std::error_code ec;
  std::filesystem::remove_all(m_path.parent_path(), ec);
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

ProgramResult Devicectl(const ScratchRoot& root, const std::vector<std::string>& words, const std::string& input) {
  std::vector<std::string> argv = {QUORVANE_DEVICECTL_BIN, "--device", root.String()};
  argv.insert(argv.end(), words.begin(), words.end());
  return RunProgram(argv, input);
}

ProgramResult Utility(const ScratchRoot& root, const std::vector<std::string>& words, const std::string& input) {
  std::vector<std::string> argv = {QUORVANE_UTILITY_BIN, "--device", root.String()};
  argv.insert(argv.end(), words.begin(), words.end());
  return RunProgram(argv, input);
}

}  // namespace testing_support
