#pragma once

#include "install/game_launcher.h"
#include "interfaces/views.h"
#include "platform/services.h"
#include "ui/main/covered_page_sleep.h"
#include "ui/views/main_window_link.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;

namespace tarvex {

class BrowserRuntime;
class GameUrlRequest;
class NimboSimleClient;
class StartPing;
class WindowRegistry;
struct ClientContext;
struct GameUrlDecision;
struct ViewContext;

// The launcher's main window: the portal's pages in a browser below a 38-pixel strip,
// the owner of the portal state (token, launch parameter, game address) and of timer 1,
// which brings the window back to the portal and asks for the user's game. It opens the
// game, pay and download windows (into the window registry, their owner), and each of
// them hands control back to it. Destroying it ends the program.
class CNimboClientDlg final : public QWidget, public Views, public MainWindowLink {
  Q_OBJECT

 public:
  static constexpr int kWidth = 1320;
  static constexpr int kHeight = 820;
  static constexpr int kStripHeight = 38;
  static constexpr int kVersionLabelId = 10015;

  static constexpr int kHandBackDelayMs = 500;

  // `services`, `runtime` and `windows` must outlive the window. `launchArguments` are the
  // program's arguments after its name, exactly as the user passed them. `receivedToken` is
  // the login token the instance this one replaced handed on, used when the token file
  // holds none.
  CNimboClientDlg(const Services& services, BrowserRuntime& runtime, WindowRegistry& windows,
                  QStringList launchArguments, QString receivedToken = QString());
  ~CNimboClientDlg() override;

  // The initialisation sequence up to the browser: the skinned window, the token and the
  // start ping (sent in the background). The opener shows the window, centred; once it
  // has been painted and the ping has answered (or about a second has passed),
  // browserRequested asks for CreateMainBrowser().
  bool OnInitDialog();
  // The rest of the sequence: the browser runtime and the main browser on the start
  // address, then timer 1 with a usable token. Once; nothing after the window ended.
  void CreateMainBrowser();

  // Loads the portal index into the main browser; nothing before the browser exists.
  void ShowPortalIndex();
  // In `milliseconds`, go back to the portal index and ask for the user's game (timer 1;
  // a running timer restarts with the new period).
  void StartTimer1(int milliseconds);
  // MainWindowLink
  QWidget* MainWidget() override { return this; }
  // Shown again, and timer 1 in kHandBackDelayMs.
  void HandBack() override;
  // The strip's buttons: close, minimise, clear the portal's cookies, portal index.
  void OnCommand(int id);
  // Timer 1, the hand-back point: when it fires, the browser goes back to the portal index
  // and the game address is asked for.
  const QTimer& Timer1() const { return m_timer1; }

  // A newer instance took over: end without asking, but never under an open message box.
  void OnInstanceMessage();
  // Destroys the window; the program ends with exit code 0.
  void DestroyWindow();

  // The close question; Yes destroys the window.
  void AskToClose();

  const QString& LoginToken() const { return m_strLoginToken; }
  const QString& LaunchParameter() const { return m_strCmdLine; }
  const QString& GameUrl() const { return m_strGameUrl; }
  NimboSimleClient* Client() const { return m_pClient.get(); }
  QWidget* BrowserWidget() const { return m_browserWidget; }

  // Views
  void OpenGameView(const QString& address, int openFlag) override;
  void OpenPayView(const QString& address, int width, int height, const QString& label) override;
  void OpenLoadView(const QString& gameKey, const QString& launchParams) override;
  void LaunchGame(const QString& launchAddress) override;

 Q_SIGNALS:
  // Emitted once, when the window has been destroyed and the program should end.
  void destroyRequested();
  // Emitted once, when the browser is due (see OnInitDialog).
  void browserRequested();
  // Emitted once, when the main browser's first page has loaded: what waits for the portal
  // to be on screen may start now.
  void portalPageLoaded();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateSkinButtons();
  void CreateVersionLabel();
  void GetloginToken();
  void SendStartPing();
  void RequestBrowserWhenDue();
  void ReadLaunchParameter();
  QString StartAddress() const;
  void OnTimer1();
  void RequestGameUrl();
  void OnGameUrlAnswer(const GameUrlDecision& decision);
  // What the browser clients of this window and of the windows it opens route with.
  ClientContext RoutingContext();
  // What the game and pay windows are opened with.
  ViewContext ChildWindowContext();

  Services m_services;
  BrowserRuntime& m_runtime;
  WindowRegistry& m_windows;
  QStringList m_launchArguments;

  QString m_strVersion;
  QString m_strArch;
  QString m_strLoginToken;
  QString m_strReceivedToken;
  QString m_strCmdLine;
  QString m_strGameUrl;
  int m_disableGpu = 0;
  std::shared_ptr<NimboSimleClient> m_pClient;
  QWidget* m_browserWidget = nullptr;
  QLabel* m_versionLabel = nullptr;
  QTimer m_timer1;
  GameUrlRequest* m_gameUrlRequest = nullptr;
  StartPing* m_startPing = nullptr;
  // Waits, bounded, for the first paint and the start ping before the browser is created.
  QTimer m_browserDue;
  bool m_painted = false;
  bool m_pingWaitOver = false;
  bool m_browserRequested = false;
  GameLauncher m_launcher;
  // The page sleeps while a game window covers this window.
  CoveredPageSleep m_coveredPage{this};
  bool m_destroyed = false;
  // Where a drag of the main window took hold.
  static QPoint s_lastDragPoint;
};

}  // namespace tarvex
