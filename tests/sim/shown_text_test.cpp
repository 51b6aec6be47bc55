#include "sim/shown_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ShownText, TokensAreQuotedEscapedAndCut) {
  const std::string eighty(sim::kShownTokenLength, 'x');
  struct Case {
    std::string token;
    std::string shown;
  };
  const Case kCases[] = {
      {"plain", "'plain'"},
      {std::string("a\nb\x1b\0c\x7f", 7), "'a\\x0Ab\\x1B\\x00c\\x7F'"},
      {"back\\slash", "'back\\\\slash'"},
      {eighty, "'" + eighty + "'"},
      {eighty + "y", "'" + eighty + "'..."},
      {eighty.substr(1) + "\xC3\xA9", "'" + eighty.substr(1) + "'..."},  // a two-byte character is not split
      {"\xC3\xA9t\xC3\xA9", "'\xC3\xA9t\xC3\xA9'"},
  };
  for (const Case& c : kCases) EXPECT_EQ(sim::Shown(c.token), c.shown) << c.shown;
}

}  // namespace
