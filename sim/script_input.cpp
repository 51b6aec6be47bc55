#include "sim/script_input.h"

#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"

namespace sim {

bool PostScriptInput(const ScriptCommand& command) {
  auto stylus = [&](gwes::StylusAction action) { gwes::PostStylus(action, command.x, command.y); };
  auto key = [&](bool down) { gwes::PostKey(static_cast<BYTE>(command.key), down); };
  switch (command.verb) {
    case ScriptVerb::Tap:
      stylus(gwes::StylusAction::Down);
      stylus(gwes::StylusAction::Up);
      return true;
    case ScriptVerb::DoubleTap:
      for (int i = 0; i < 2; ++i) {
        stylus(gwes::StylusAction::Down);
        stylus(gwes::StylusAction::Up);
      }
      return true;
    case ScriptVerb::Down: stylus(gwes::StylusAction::Down); return true;
    case ScriptVerb::Move: stylus(gwes::StylusAction::Move); return true;
    case ScriptVerb::Up: stylus(gwes::StylusAction::Up); return true;
    case ScriptVerb::Key:
      key(true);
      key(false);
      return true;
    case ScriptVerb::KeyDown: key(true); return true;
    case ScriptVerb::KeyUp: key(false); return true;
    case ScriptVerb::Char: gwes::PostChar(static_cast<WCHAR>(command.key)); return true;
    case ScriptVerb::Wait: gwes::AdvanceTime(command.ms); return true;
    case ScriptVerb::Shot:
    case ScriptVerb::Dump:
    case ScriptVerb::Expect: return false;
  }
  return false;
}

}  // namespace sim
