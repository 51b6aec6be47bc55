// Runs a page modally in process for a benchmark: `atFirstFrame` gets the page once the program is
// idle with everything painted, and the page is then left with Escape.
#pragma once

#include "platform/gwes/focus.h"
#include "platform/gwes/input.h"
#include "platform/gwes/message_queue.h"
#include "platform/gwes/virtual_keys.h"

namespace bench {

template <typename Page, typename AtFirstFrame>
void RunPage(AtFirstFrame atFirstFrame) {
  bool done = false;
  gwes::SetIdleHook([&] {
    if (done) return;
    done = true;
    atFirstFrame(GetForegroundWindow());
    gwes::PostKey(VK_ESCAPE, true);
    gwes::PostKey(VK_ESCAPE, false);
  });
  Page page;
  page.DoModal();
  gwes::SetIdleHook(nullptr);
}

}  // namespace bench
