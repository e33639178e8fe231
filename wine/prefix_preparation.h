#pragma once

#include <QString>

#include <atomic>
#include <chrono>

// Making the launcher's prefix ready. wineboot alone says little: wine writes its own
// update stamp before it fills the prefix, and the prefix's server writes the registry
// only every 30 s and when it ends. So the launcher marks the prefix itself
// (paths::WinePrefix()/.tarvex-prepared, naming the setup file wine.inf of the wine it was
// made with) once a preparation is through: wineboot ended successfully and the prefix's
// server, and everything wineboot started, have ended with the registry written.
namespace tarvex::wine {

enum class PrefixState {
  Missing,  // never made, or a preparation did not get through
  Stale,    // made with another wine, whose setup file differs from the wine in use
  Ready,
};
PrefixState CurrentPrefixState();
inline bool IsPrefixReady() { return CurrentPrefixState() == PrefixState::Ready; }

enum class Preparation { Ready, Failed, Cancelled };
// Makes or updates the prefix when it is not ready (wineboot --init, or --update for one
// that exists) and writes the font replacements East Asian games need into it
// (font_replacements.h), waiting at most `limit`, and links the Box folder. wineboot runs at low
// priority in a session of its own and without a display, so that wine shows none of its
// windows (the "being updated" dialog, prompts): the launcher's windows say what happens.
// A preparation that fails, is cancelled or runs out of time ends the prefix's server and
// everything wineboot started, and leaves the prefix unmarked for the next try. Wine's
// output goes to `logFile`. Blocks: for worker threads. One preparation at a time, in the
// process and among processes (the launcher and the companion): a second caller waits for
// the first, within its own limit, and finds the prefix ready.
Preparation PreparePrefix(const QString& logFile, const std::atomic<bool>& cancelled,
                          std::chrono::milliseconds limit);

}  // namespace tarvex::wine
