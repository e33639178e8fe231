#pragma once

#include "ui/views/strip_view.h"

#include <QTimer>

namespace tarvex {

class TrayIcon;

// What the opener hands to a game window (fields 6-9 of the game address and the flag).
struct GameViewParams {
  QString url;           // the game address as handed over
  int openFlag = 0;      // 1: the close button stays hidden for the first minute
  QString gameId;        // recharge page
  QString serverId;      // title label and recharge page
  QString gameName;      // title label
  QString fanPage;       // the game's page on the social network
};

// One running web game: a frameless window over the work area with the skinned strip
// (logo, gold title, nine buttons) and the game's browser below it. Closing it hands
// control back to the main window. It deletes itself when it closes.
class NimboGameView final : public StripView {
  Q_OBJECT

 public:
  static constexpr int kCloseButtonDelayMs = 60000;

  NimboGameView(const ViewContext& context, GameViewParams params);
  ~NimboGameView() override;

  // Sets the window up and starts its browser; the opener shows it afterwards.
  void OnInitDialog();

  const QString& Url() const { return m_strUrl; }
  // Timer 1: shows the delayed close button once.
  QTimer& CloseButtonTimer() { return m_timer1; }
  TrayIcon& Tray() const { return *m_tray; }

 protected:
  void OnCommand(int id) override;
  bool LayoutControls(int clientWidth) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetupWindow();
  void CreateGameBrowser(const QString& address);
  void OnTimer1();
  void AskToClearCookies();

  int m_nOpenFlag;
  QString m_strUrl;
  QString m_strGameName;
  QString m_strServerId;
  QString m_strGameId;
  QString m_strFanPage;
  // Timer 1 of this window: the delay before a hidden close button is shown.
  QTimer m_timer1;
  TrayIcon* m_tray;
};

}  // namespace tarvex
