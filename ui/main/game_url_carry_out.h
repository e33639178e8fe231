#pragma once

#include <QString>

#include <functional>

namespace tarvex {

class Views;
struct GameUrlDecision;

// Carries the decision out: stores a new game address in `gameUrl`, then code "1" opens a
// game window on it with open flag 1, code "2" minimises the main window and launches the game.
void CarryOutGameUrlDecision(const GameUrlDecision& decision, QString& gameUrl, Views& views,
                             const std::function<void()>& minimiseMainWindow);

}  // namespace tarvex
