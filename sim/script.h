// The headless runner's script language: one command a line, "#" starts a comment.
//   tap X Y | down X Y | move X Y | up X Y | dbltap X Y      stylus, screen pixels
//   key K | keydown K | keyup K | char K                      K: decimal, 0x.., or a key name
//   wait MS                                                   advance virtual time
//   shot FILE.png | dump [FILE]
//   expect FILE.png [TOLERANCE]                               compare the screen with a reviewed image
// Key names: ESCAPE ENTER TAB LEFT UP RIGHT DOWN F6 F7 F10 CANCEL (0xC3) CLOSE (0xC5).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

enum class ScriptVerb { Tap, Down, Move, Up, DoubleTap, Key, KeyDown, KeyUp, Char, Wait, Shot, Dump, Expect };

struct ScriptCommand {
  ScriptVerb verb = ScriptVerb::Wait;
  int x = 0;
  int y = 0;
  unsigned key = 0;       // virtual key or character code
  unsigned ms = 0;        // wait
  std::string file;       // shot (required) and dump (optional: empty means standard output)
  unsigned tolerance = 0; // expect: the largest difference allowed in any one colour channel
};

// Parses one line. Blank lines and comments give nullopt with an empty error; a bad line gives
// nullopt and a reason.
std::optional<ScriptCommand> ParseScriptLine(std::string_view line, std::string* error);

// The virtual key of a key name ("ESCAPE" → 0x1B), or of a number in 0..255.
std::optional<unsigned> ParseKey(std::string_view word);
// How a script names a virtual key: its name, else "0x.." (what ParseKey reads back).
std::string KeyWord(unsigned key);

}  // namespace sim
