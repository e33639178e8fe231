#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace tarvex {

inline constexpr char kMaxStateText[] = "Max";
inline constexpr char kRestoreStateText[] = "Restore";

// Maximise / restore of the game and pay windows. The state is the text of button 20002
// (`stateText`, read by the caller): "Max" means the window is at its restore size and
// this call maximises it to x 0, y 0, the full screen width x the work area's bottom,
// setting the text to "Restore"; any other text (the game window starts empty) restores
// it to `restoreSize` at (0, 0) centred over `owner` when that is visible, else in its
// screen's work area, setting the text to "Max". The first call also creates the
// zero-size marker button 20012. The window must hold a SkinButton 20002.
void ToggleMaximize(QWidget* window, const QString& stateText, QSize restoreSize, QWidget* owner);

// Moves `window` so that it is centred over `owner` when that is visible, else in the
// work area of the window's screen, then pulls it back inside that work area.
void CenterWindow(QWidget* window, const QWidget* owner);

}  // namespace tarvex
