#pragma once

#include "platform/clock.h"
#include "platform/default_browser.h"
#include "platform/hosts.h"
#include "platform/message_box_prompt.h"
#include "platform/window_registry.h"
#include "install/game_starter.h"
#include "wine/warm_prefix.h"

#include <QStringList>

#include <memory>

namespace tarvex {

class BrowserRuntime;
class CNimboClientDlg;
class InstanceHandover;
class ProfileLock;

// The browser process: owns the real side-effect services, the browser runtime, the
// instance hand-over, the main window and the registry of every other window, and tears
// them down in the order the engine needs (every page before the profile). One per
// process, on the GUI thread.
class CNimboClientApp final {
 public:
  // `launchArguments`: the arguments after the program's name, copied before QApplication
  // could strip any.
  explicit CNimboClientApp(QStringList launchArguments);
  ~CNimboClientApp();

  // Start-up in its fixed order: hand-over from a running instance, the profile's lock,
  // then the main window. Returns false when this instance is not to open the profile (a
  // newer start took over, or the profile cannot be had) or the main window could not be
  // created; the process then ends.
  bool InitInstance();

  CNimboClientDlg* MainWindow() const { return m_mainWindow.get(); }

 private:
  // Takes the browser profile's lock, waiting for its holder; false when this instance is
  // to end instead.
  bool TakeProfile();
  void EndProgram();

  QStringList m_launchArguments;
  MessageBoxPrompt m_prompt;
  DesktopDefaultBrowser m_defaultBrowser;
  GameStarter m_programStarter;
  SystemClock m_clock;
  std::unique_ptr<BrowserRuntime> m_runtime;
  std::unique_ptr<InstanceHandover> m_handover;
  std::unique_ptr<ProfileLock> m_profileLock;
  WindowRegistry m_windows;
  std::unique_ptr<CNimboClientDlg> m_mainWindow;
  // Prepared and kept warm once the portal is on screen; let go before the windows.
  WarmPrefix m_warmPrefix;
};

}  // namespace tarvex
