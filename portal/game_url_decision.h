#pragma once

#include "portal/portal_transport.h"

#include <QString>

#include <functional>
#include <optional>

namespace tarvex {

class Views;

// What one game-address answer asks for.
struct GameUrlDecision {
  QString code;                   // "1" web game, "2" client game, anything else: nothing
  std::optional<QString> gameUrl;  // set when the answer replaces the game address
};

// The target of the game-address request for `loginToken` (sent whatever its length).
QString GameUrlTarget(const QString& loginToken);

// Reads the portal's answer (empty = transport failure) and traces the outcome. Status
// 200 replaces the game address by the answer's "url" without backslashes (the empty
// text when it has none); another status or a failure keeps the address and asks for nothing.
GameUrlDecision DecideGameUrl(const std::optional<PortalAnswer>& answer);

// Carries the decision out: stores a new game address in `gameUrl`, then code "1" opens a
// game window on it with open flag 1, code "2" minimises the main window and launches the game.
void CarryOutGameUrlDecision(const GameUrlDecision& decision, QString& gameUrl, Views& views,
                             const std::function<void()>& minimiseMainWindow);

}  // namespace tarvex
