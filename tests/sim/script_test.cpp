#include "sim/script.h"

#include <gtest/gtest.h>

namespace {

using sim::ParseScriptLine;
using sim::ScriptVerb;

TEST(Script, CommandsParseWithTheirOperands) {
  std::string error;
  auto tap = ParseScriptLine("  tap 319 239   # bottom-right corner", &error);
  ASSERT_TRUE(tap) << error;
  EXPECT_EQ(tap->verb, ScriptVerb::Tap);
  EXPECT_EQ(tap->x, 319);
  EXPECT_EQ(tap->y, 239);

  struct KeyCase {
    const char* line;
    ScriptVerb verb;
    unsigned key;
  };
  for (const KeyCase& c : {KeyCase{"key ESCAPE", ScriptVerb::Key, 0x1B}, KeyCase{"keydown CLOSE", ScriptVerb::KeyDown, 0xC5},
                           KeyCase{"keyup CANCEL", ScriptVerb::KeyUp, 0xC3}, KeyCase{"key 0x0d", ScriptVerb::Key, 0x0D},
                           KeyCase{"char 65", ScriptVerb::Char, 65}, KeyCase{"key F10", ScriptVerb::Key, 0x79}}) {
    auto command = ParseScriptLine(c.line, &error);
    ASSERT_TRUE(command) << c.line << ": " << error;
    EXPECT_EQ(command->verb, c.verb) << c.line;
    EXPECT_EQ(command->key, c.key) << c.line;
  }

  auto wait = ParseScriptLine("wait 66000\r", &error);
  ASSERT_TRUE(wait) << error;
  EXPECT_EQ(wait->ms, 66000u);

  auto shot = ParseScriptLine("shot shots/main menu.png  ", &error);
  ASSERT_TRUE(shot) << error;
  EXPECT_EQ(shot->file, "shots/main menu.png");
  auto dump = ParseScriptLine("dump", &error);
  ASSERT_TRUE(dump) << error;
  EXPECT_EQ(dump->verb, ScriptVerb::Dump);
  EXPECT_EQ(dump->file, "");

  // expect's last word is its tolerance when a name comes before it.
  struct ExpectCase {
    const char* line;
    const char* file;
    unsigned tolerance;
  };
  for (const ExpectCase& c : {ExpectCase{"expect menu.png", "menu.png", 0}, ExpectCase{"expect menu.png 12", "menu.png", 12},
                              ExpectCase{"expect main menu.png 3 ", "main menu.png", 3}, ExpectCase{"expect 7", "7", 0}}) {
    auto expect = ParseScriptLine(c.line, &error);
    ASSERT_TRUE(expect) << c.line << ": " << error;
    EXPECT_EQ(expect->verb, ScriptVerb::Expect);
    EXPECT_EQ(expect->file, c.file) << c.line;
    EXPECT_EQ(expect->tolerance, c.tolerance) << c.line;
  }
}

TEST(Script, BlankLinesAndCommentsAreNoCommandAndNoError) {
  std::string error = "stale";
  for (const char* line : {"", "   ", "# a comment", "\t# indented comment", "\r"}) {
    EXPECT_FALSE(ParseScriptLine(line, &error)) << line;
    EXPECT_EQ(error, "") << line;
  }
}

TEST(Script, BadLinesSayWhy) {
  for (const char* line : {"tap 320 10", "tap 10", "tap -1 5", "tap 1 2 3", "key", "key 256", "key escape",
                           "char HOME", "wait", "wait -5", "wait 1e3", "shot", "press 1 2", "TAP 1 2", "expect", "expect a.png 256"}) {
    std::string error;
    EXPECT_FALSE(ParseScriptLine(line, &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
  // What the reason shows of the bad word: cut, escaped, and a file name is never cut at a NUL.
  struct Case {
    std::string line;
    std::string error;
  };
  const Case kShown[] = {
      {std::string(200, 'q') + "\x1b", "unknown command '" + std::string(80, 'q') + "'..."},
      {"tap\x1b 1 2", "unknown command 'tap\\x1B'"},
      {std::string("shot a\0b.png", 12), "the file name 'a\\x00b.png' holds a NUL character"},
      {std::string("dump x\0", 7), "the file name 'x\\x00' holds a NUL character"},
  };
  for (const Case& c : kShown) {
    std::string error;
    EXPECT_FALSE(ParseScriptLine(c.line, &error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
