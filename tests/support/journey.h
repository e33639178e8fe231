#pragma once

#include "support/launcher_process.h"
#include "support/portal_process.h"

#include <QDir>
#include <QString>
#include <QStringList>

namespace tarvex::testing {

// The launcher's window titles, as the X server lists them.
inline const QString kMainTitle = QStringLiteral("Tarvex Center");
inline const QString kGameTitle = QStringLiteral("Tarvex游戏");
inline const QString kPayTitle = QStringLiteral("Tarvex 게임 센타");
inline const QString kLoadTitle = QStringLiteral("TarvexLOAD");

// The player's side of a journey: the token left for the launcher, the user's own web
// browser (a recorder registered as the desktop's http handler) and the desktop folder.
class PlayerDesktop {
 public:
  PlayerDesktop();

  // Leaves a one-time token for the next start (its first bytes are what the launcher reads).
  void LeaveToken(const QByteArray& bytes) const;
  bool TokenFileExists() const;
  // The addresses the user's browser was asked to open.
  QStringList OpenedInBrowser() const;
  QString DesktopFolder() const;
  QString GamesFolder() const;
  // Removes what earlier journeys left: games, shortcuts, menu entries and icons, downloads,
  // the browser profile.
  void Reset() const;
};

}  // namespace tarvex::testing
