#pragma once

#include <QString>

namespace tarvex {

// The texts and addresses of the game window, decided from its parameters alone.

// The address the game window's browser loads: "&v=2" appended when the first '?' lies
// below index 100, otherwise (none, or at 100 or later) "?v=2".
QString GameBrowserAddress(const QString& gameAddress);

// "Tarvex-[NAME] SERVER服  V5.50.32".
QString GameTitleText(const QString& gameName, const QString& serverId);

// The pages that buttons 20007-20009 open in the user's browser; member values are
// inserted as they are.
QString ServicePageAddress(const QString& portalHost);
QString FanPageAddress(const QString& socialHost, const QString& fanPage);
QString RechargePageAddress(const QString& portalHost, const QString& gameId, const QString& serverId);

}  // namespace tarvex
