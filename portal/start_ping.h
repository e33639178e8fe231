#pragma once

#include <QString>

namespace tarvex {

struct PortalTransportOptions;

// The target of the start ping (statistics event 3) without the token: the game id is
// field 6 of the game address, empty before the first game-address answer.
QString StartPingTarget(const QString& gameUrl);

// Sends a statistics ping: appends the token to `target` and, with a usable token only,
// sends it and traces whether the portal recorded it. Blocks until the portal answered
// or the transport gave up; the outcome changes nothing else.
void HttpGet(const PortalTransportOptions& options, const QString& target, const QString& loginToken);

}  // namespace tarvex
