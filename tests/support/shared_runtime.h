#pragma once

namespace tarvex {
class BrowserRuntime;
}

namespace tarvex::testing {

// The one browser runtime of a GUI test binary (the engine starts once per process). It
// exists from before the first test until after the last; tests delete their windows.
BrowserRuntime& SharedRuntime();

}  // namespace tarvex::testing
