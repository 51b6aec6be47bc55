// The project's programs, run as a user would, on a device root of the test's own.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_device.h"

namespace testing_support {

// A device root folder that does not exist yet; removed when the object goes.
class ScratchRoot {
 public:
  ScratchRoot();
  ~ScratchRoot();
  const std::filesystem::path& Path() const { return m_path; }
  std::string String() const { return m_path.string(); }

 private:
  std::filesystem::path m_path;
};

// A command line's words, split at blanks (a word cannot hold one).
std::vector<std::string> Words(const std::string& line);

// A scratch root with the default image laid by "devicectl init", as a user starts a device.
class ImagedRoot : public ScratchRoot {
 public:
  ImagedRoot();
};

ProgramResult Devicectl(const ScratchRoot& root, const std::vector<std::string>& words, const std::string& input = "");
ProgramResult Utility(const ScratchRoot& root, const std::vector<std::string>& words, const std::string& input = "");

}  // namespace testing_support
