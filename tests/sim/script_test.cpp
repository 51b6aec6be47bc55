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
                           "char HOME", "wait", "wait -5", "wait 1e3", "shot", "press 1 2", "TAP 1 2"}) {
    std::string error;
    EXPECT_FALSE(ParseScriptLine(line, &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

}  // namespace
