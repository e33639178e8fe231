#include "ui/views/game_view_rules.h"

namespace tarvex {
namespace {
// A '?' this far in is taken for part of a long path rather than the start of a query: the
// marker then opens a query of its own, as the portal's game servers expect.
constexpr int kQueryIndexLimit = 100;
constexpr char kClientVersion[] = "V5.50.32";
}  // namespace

QString GameBrowserAddress(const QString& gameAddress) {
  const qsizetype query = gameAddress.indexOf(QLatin1Char('?'));
  const bool shortQuery = query >= 0 && query < kQueryIndexLimit;
  return gameAddress + (shortQuery ? QStringLiteral("&v=2") : QStringLiteral("?v=2"));
}

QString GameTitleText(const QString& gameName, const QString& serverId) {
  return QStringLiteral("Tarvex-[") + gameName + QStringLiteral("] ") + serverId + QStringLiteral("服") +
         QStringLiteral("  ") + QLatin1String(kClientVersion);
}

QString ServicePageAddress(const QString& portalHost) {
  return QStringLiteral("https://") + portalHost + QStringLiteral("/service/online");
}

QString FanPageAddress(const QString& socialHost, const QString& fanPage) {
  return QStringLiteral("https://") + socialHost + QStringLiteral("/") + fanPage + QStringLiteral("/");
}

QString RechargePageAddress(const QString& portalHost, const QString& gameId, const QString& serverId) {
  return QStringLiteral("http://") + portalHost + QStringLiteral("/payment/esafe_webatm?game_id=") + gameId +
         QStringLiteral("&server_id=") + serverId;
}

InFront WindowInFront(const QList<quintptr>& bottomToTop, quintptr game, quintptr main, bool gameActive,
                      bool mainActive) {
  if (mainActive) return InFront::Main;
  const qsizetype gameAt = bottomToTop.indexOf(game);
  const qsizetype mainAt = bottomToTop.indexOf(main);
  if (gameAt >= 0 && mainAt >= 0) return gameAt > mainAt ? InFront::Game : InFront::Main;
  return gameActive ? InFront::Game : InFront::Unknown;
}

bool GameWindowCoversMainWindow(const WindowPlace& game, const WindowPlace& main, InFront inFront,
                                bool positionsKnown) {
  return positionsKnown && game.shown && !game.minimised && inFront == InFront::Game &&
         game.screen == main.screen && game.frame.contains(main.frame);
}

}  // namespace tarvex
