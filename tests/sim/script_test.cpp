#include "sim/script.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using sim::ParseScriptLine;
using sim::ScriptVerb;

// Each line's command with its operands; expect's last word is its tolerance when a name comes
// before it.
TEST(Script, CommandsParseWithTheirOperands) {
  struct Row {
    const char* line;
    sim::ScriptCommand command;
  } rows[] = {
      {"  tap 319 239   # bottom-right corner", {ScriptVerb::Tap, 319, 239}},
      {"key ESCAPE", {ScriptVerb::Key, 0, 0, 0x1B}},
      {"keydown CLOSE", {ScriptVerb::KeyDown, 0, 0, 0xC5}},
      {"keyup CANCEL", {ScriptVerb::KeyUp, 0, 0, 0xC3}},
      {"key 0x0d", {ScriptVerb::Key, 0, 0, 0x0D}},
      {"char 65", {ScriptVerb::Char, 0, 0, 65}},
      {"key F10", {ScriptVerb::Key, 0, 0, 0x79}},
      {"wait 66000\r", {ScriptVerb::Wait, 0, 0, 0, 66000}},
      {"shot shots/main menu.png  ", {ScriptVerb::Shot, 0, 0, 0, 0, "shots/main menu.png"}},
      {"dump", {ScriptVerb::Dump}},
      {"expect menu.png", {ScriptVerb::Expect, 0, 0, 0, 0, "menu.png", 0}},
      {"expect menu.png 12", {ScriptVerb::Expect, 0, 0, 0, 0, "menu.png", 12}},
      {"expect main menu.png 3 ", {ScriptVerb::Expect, 0, 0, 0, 0, "main menu.png", 3}},
      {"expect 7", {ScriptVerb::Expect, 0, 0, 0, 0, "7", 0}},
  };
  auto fields = [](const sim::ScriptCommand& c) {
    return std::tie(c.verb, c.x, c.y, c.key, c.ms, c.file, c.tolerance);
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string error;
    auto command = ParseScriptLine(row.line, &error);
    ASSERT_TRUE(command) << error;
    EXPECT_EQ(fields(*command), fields(row.command));
  }
}

// Blank lines and comments are no command and no error; a bad line says why.
TEST(Script, BlankLinesAreNothingAndBadLinesSayWhy) {
  for (const char* line : {"", "   ", "# a comment", "\t# indented comment", "\r"}) {
    std::string error = "stale";
    EXPECT_FALSE(ParseScriptLine(line, &error)) << line;
    EXPECT_EQ(error, "") << line;
  }
  for (const char* line : {"tap 320 10", "tap 10", "tap -1 5", "tap 1 2 3", "key", "key 256", "key escape", "char HOME",
                           "wait", "wait -5", "wait 1e3", "shot", "press 1 2", "TAP 1 2", "expect",
                           "expect a.png 256"}) {
    std::string error;
    EXPECT_FALSE(ParseScriptLine(line, &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
  // What the reason shows of the bad word: cut, escaped, and a file name is never cut at a NUL.
  const std::pair<std::string, std::string> kShown[] = {
      {std::string(200, 'q') + "\x1b", "unknown command '" + std::string(80, 'q') + "'..."},
      {"tap\x1b 1 2", "unknown command 'tap\\x1B'"},
      {std::string("shot a\0b.png", 12), "the file name 'a\\x00b.png' holds a NUL character"},
      {std::string("dump x\0", 7), "the file name 'x\\x00' holds a NUL character"},
  };
  for (const auto& [line, shown] : kShown) {
    std::string error;
    EXPECT_FALSE(ParseScriptLine(line, &error)) << shown;
    EXPECT_EQ(error, shown);
  }
}

}  // namespace
