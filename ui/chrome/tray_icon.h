#pragma once

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace tarvex {

// The game window's tray icon: application icon 128, tip "DAvadu", a menu with the single
// item "显示" (command 20011). `Add` registers the icon and hides the window; a
// double-click on the icon or the menu item shows the window again, unchanged, and
// removes the icon.
class TrayIcon final : public QObject {
  Q_OBJECT

 public:
  explicit TrayIcon(QWidget* window);
  ~TrayIcon() override;

  void Add();
  void Remove();
  // Shows the window and removes the icon: both restore paths end here.
  void RestoreWindow();

  // The registered icon, null while none is registered.
  QSystemTrayIcon* Icon() const { return m_icon; }

 private:
  QWidget* m_window;
  std::unique_ptr<QMenu> m_menu;
  QSystemTrayIcon* m_icon = nullptr;
};

}  // namespace tarvex
