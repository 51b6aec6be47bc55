// The "dump" of the headless runner: every window as one JSON object a line, top-level windows in
// z-order (top first), each followed by its children depth-first. A window bound to a framework
// object shows that object's class as its type ("CSkinButton").
#pragma once

#include <functional>
#include <string>

#include "platform/gwes/gwes_types.h"

namespace sim {

std::string DumpWindows();

// The class of the framework object bound to the window ("CBacklightDlg"), or empty.
std::string WindowTypeName(HWND hwnd);

// Extra fields of one window class ("msctls_trackbar32": "pos", "min", "max" ...), written after
// the common ones as ',"name":value' text. Controls register theirs as they come.
void RegisterDumpFields(const std::u16string& className, std::function<std::string(HWND)> fields);

// A JSON string literal of UTF-16 text.
std::string JsonString(std::u16string_view text);

}  // namespace sim
