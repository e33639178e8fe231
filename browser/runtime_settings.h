#pragma once

#include <QString>

#include <optional>

namespace tarvex {

// What a window asks of the browser runtime when it initialises it. Only the first
// initialisation in a process takes effect.
struct RuntimeSettings {
  bool noSandbox = false;
  int logSeverity = 99;                 // 99: the engine writes no log
  std::optional<QString> cachePath;     // none: the profile lives in memory only
};

}  // namespace tarvex
