#pragma once

#include <QList>
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

// Which of the game window and the main window is in front.
enum class InFront { Game, Main, Unknown };

// Decides it from what the window system tells: the main window when it is the active
// window (an active window is brought to the front); else the order of `bottomToTop`, the
// window system's stacking of top-level windows, when it holds both; else the game window
// when that is the active one. Unknown otherwise (another program active, no stacking
// known): a main window that is merely not active is not thereby behind.
InFront WindowInFront(const QList<quintptr>& bottomToTop, quintptr game, quintptr main, bool gameActive,
                      bool mainActive);

// Whether a game window hides the main window from sight: the game window is shown and
// not minimised, in front of the main window, its frame contains the main window's, and
// both are on the same screen. Never where the platform does not tell where windows are (a
// native Wayland session): no guessing.
bool GameWindowCoversMainWindow(const WindowPlace& game, const WindowPlace& main, InFront inFront,
                                bool positionsKnown);

}  // namespace tarvex
