#pragma once

namespace tarvex {

// Whether this process runs with the super-user's rights, where Chromium cannot sandbox
// its renderers.
bool IsRunningAsRoot();

}  // namespace tarvex
