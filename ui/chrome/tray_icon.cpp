#include "ui/chrome/tray_icon.h"

#include "ui/chrome/control_ids.h"
#include "ui/chrome/skin_resources.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

namespace tarvex {

TrayIcon::TrayIcon(QWidget* window, std::function<bool()> trayAvailable)
    : QObject(window), m_window(window), m_trayAvailable(std::move(trayAvailable)) {}

TrayIcon::~TrayIcon() = default;

void TrayIcon::Add() {
  Remove();
  if (!m_trayAvailable()) {
    m_window->showMinimized();
    return;
  }
  if (!m_menu) {
    m_menu = std::make_unique<QMenu>();
    QAction* show = m_menu->addAction(QStringLiteral("显示"));
    show->setData(kTrayShowCommandId);
    // The menu path restores the window exactly like the double-click path: with its own
    // window flags, so it keeps its taskbar entry.
    connect(show, &QAction::triggered, this, &TrayIcon::RestoreWindow);
  }
  m_icon = new QSystemTrayIcon(QIcon(QPixmap::fromImage(LoadPngResource(kAppIconId))), this);
  m_icon->setToolTip(QStringLiteral("DAvadu"));
  m_icon->setContextMenu(m_menu.get());
  connect(m_icon, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            // StatusNotifier hosts (KDE Plasma, GNOME's AppIndicator) report every click as
            // Trigger, never as DoubleClick.
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) RestoreWindow();
          });
  m_icon->show();
  m_window->hide();
}

void TrayIcon::Remove() {
  if (!m_icon) return;
  m_icon->hide();
  // The icon may be the sender of the signal being handled: delete it afterwards.
  m_icon->deleteLater();
  m_icon = nullptr;
}

void TrayIcon::RestoreWindow() {
  m_window->show();
  Remove();
}

}  // namespace tarvex
