#pragma once

#include <QRect>
#include <QString>

namespace tarvex {

// The texts and addresses of the game window, decided from its parameters alone, and the
// rule by which it covers the main window, decided from where both windows are.

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

// Where a window is and whether it can be seen, as far as covering another window goes.
struct WindowPlace {
  QRect frame;          // the frame on the virtual desktop
  bool shown = false;   // shown, not hidden (nor sent to the tray)
  bool minimised = false;
  QString screen;       // the screen it is on
};

// Whether a game window hides the main window from sight: the game window is shown and
// not minimised, its frame contains the main window's, both are on the same screen, and the
// main window is not the active window (an active window is in front). Never where the
// platform does not tell where windows are (a native Wayland session): no guessing.
bool GameWindowCoversMainWindow(const WindowPlace& game, const WindowPlace& main, bool mainActive,
                                bool positionsKnown);

}  // namespace tarvex
