#pragma once

#include <QString>

namespace tarvex {

// Shows a download's progress on the desktop's dock or task bar, through the
// com.canonical.Unity.LauncherEntry signal that KDE Plasma's task manager and Dash to Dock
// listen for, under the launcher's desktop file. Without a session bus it does nothing.
// GUI thread only.
class DockProgress {
 public:
  static constexpr char kApplicationUri[] = "application://nimboclient.desktop";

  DockProgress() = default;
  ~DockProgress();
  DockProgress(const DockProgress&) = delete;
  DockProgress& operator=(const DockProgress&) = delete;

  // `fraction` from 0 to 1; sent only when it moved by a thousandth.
  void Show(double fraction);
  // Takes the progress off the dock; also when this object goes.
  void Clear();

 private:
  double m_shown = -1;  // -1: nothing shown
};

}  // namespace tarvex
