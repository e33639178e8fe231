#pragma once

#include "install/installer_download.h"
#include "install/installer_fetch.h"
#include "install/transfer_rate.h"
#include "platform/dock_progress.h"
#include "platform/services.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>

class QLabel;
class QProgressBar;

namespace tarvex {

class MainWindowLink;

// The download window of a game that is not installed yet: a frameless, skinned window
// with a thin progress bar and, beneath it, what is happening: the phase, and while
// downloading the size, speed and time left (refreshed twice a second). Two seconds after
// its set-up it downloads the game's installer and runs it, then closes and hands control
// back to the main window, whose next request starts the game. A failure leaves it open
// with the bar where it stopped, saying which failure it was. While the download runs, its
// progress is also on the desktop's dock. Closing it cancels the transfer. It deletes
// itself when it closes.
class NimboLoadView final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kProgressBarId = 1002;
  static constexpr int kHiddenButtonId = 1003;
  static constexpr int kNoticeId = 1004;
  static constexpr int kStatusId = 1005;
  static constexpr int kWidth = 616;
  static constexpr int kHeight = 228;
  static constexpr std::chrono::milliseconds kStartDelay{2000};

  // `services` and `mainWindow` must outlive the window.
  NimboLoadView(const Services& services, MainWindowLink& mainWindow, QString gameKey);

  // Before OnInitDialog: how long after the set-up the download starts.
  void SetStartDelay(std::chrono::milliseconds delay) { m_startDelay = delay; }
  // Before the download starts: no bytes for this long fail it.
  void SetStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
  // Before the download starts: the unit of the waits between its attempts.
  void SetBackOffUnit(std::chrono::milliseconds unit) { m_backOffUnit = unit; }
  // Before the download starts: how the free space for the installer is measured.
  void SetFreeSpace(InstallerTransfer::FreeSpace freeSpace) { m_freeSpace = std::move(freeSpace); }

  // Caption, size, skin, controls and the start timer; the opener shows the window.
  void OnInitDialog();

  const QString& GameKey() const { return m_strGameKey; }
  // The running or finished download; null until the start timer has fired.
  InstallerDownload* Download() const { return m_pDownloadThread; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void StartDownload();
  void OnFinished(InstallerDownload::Outcome outcome);
  void OnPhaseChanged(InstallerDownload::Phase phase);
  void OnTransferChanged(qint64 received, qint64 total);
  void ShowStatus();
  void ShowFailure(InstallerDownload::Outcome outcome);

  Services m_services;
  MainWindowLink& m_mainWindow;
  const QString m_strGameKey;
  std::chrono::milliseconds m_startDelay = kStartDelay;
  std::chrono::milliseconds m_stallTimeout = InstallerTransfer::kDefaultStallTimeout;
  std::chrono::milliseconds m_backOffUnit = InstallerFetch::kDefaultBackOffUnit;
  InstallerTransfer::FreeSpace m_freeSpace = &InstallerTransfer::DiskFreeSpace;
  // Timer 1 of this window: the delay between the set-up and the download's start.
  QTimer m_timer1;
  QProgressBar* m_progress = nullptr;
  QLabel* m_notice = nullptr;
  QLabel* m_status = nullptr;
  InstallerDownload::Phase m_phase = InstallerDownload::Phase::Downloading;
  qint64 m_received = 0;
  qint64 m_total = -1;
  // The speed counts only what arrives in this run: it is measured from the first report
  // on, which already holds what an earlier run kept.
  bool m_reported = false;
  TransferRate m_rate;
  QElapsedTimer m_sinceStart;  // the rate's clock
  QTimer m_statusTimer;  // the figures are refreshed this often, not with every report
  DockProgress m_dock;
  // The download job (its worker thread is its own); the system's name is kept.
  InstallerDownload* m_pDownloadThread = nullptr;
};

}  // namespace tarvex
