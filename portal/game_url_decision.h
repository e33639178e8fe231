#pragma once

#include "portal/portal_transport.h"

#include <QString>

#include <optional>

namespace tarvex {

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

}  // namespace tarvex
