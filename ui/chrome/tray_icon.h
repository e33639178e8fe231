#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace tarvex {

// The game window's tray icon: application icon 128, tip "DAvadu", a menu with the single
// item "显示" (command 20011). `Add` registers the icon and hides the window; a click or
// double-click on the icon or the menu item shows the window again, unchanged, and
// removes the icon. Where the desktop shows no tray icons, `Add` minimises the window
// instead, so it never disappears without a way back.
class TrayIcon final : public QObject {
  Q_OBJECT

 public:
  // `trayAvailable` tells whether the desktop shows tray icons at the moment.
  TrayIcon(QWidget* window, std::function<bool()> trayAvailable);
  ~TrayIcon() override;

  void Add();
  void Remove();
  // Shows the window and removes the icon: both restore paths end here.
  void RestoreWindow();

  // The registered icon, null while none is registered.
  QSystemTrayIcon* Icon() const { return m_icon; }

 private:
  QWidget* m_window;
  std::function<bool()> m_trayAvailable;
  std::unique_ptr<QMenu> m_menu;
  QSystemTrayIcon* m_icon = nullptr;
};

}  // namespace tarvex
