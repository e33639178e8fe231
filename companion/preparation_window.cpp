#include "companion/preparation_window.h"

#include "install/windows_preparation_text.h"
#include "ui/chrome/skin_background.h"
#include "ui/chrome/skin_resources.h"
#include "ui/chrome/window_dragger.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace tarvex {
namespace {

// Beneath the skin's 38-pixel title strip.
constexpr QRect kTextRect(20, 48, PreparationWindow::kWidth - 40, 48);

QPoint g_lastDragPoint;

}  // namespace

PreparationWindow::PreparationWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
  setWindowTitle(QStringLiteral("TarvexPREPARE"));
  setFixedSize(kWidth, kHeight);
  ApplySkinBackground(this, kLoadBackgroundBitmapId);
  auto* text = new QLabel(WindowsPreparationText(), this);
  text->setGeometry(kTextRect);
  text->setAlignment(Qt::AlignCenter);
  // Light on the skin's dark ground, as the download window's status.
  text->setStyleSheet(QStringLiteral("color: rgb(232, 232, 232); font-size: 12px;"));
  new WindowDragger(this, g_lastDragPoint);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

}  // namespace tarvex
