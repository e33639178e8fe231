#pragma once

#include "install/installer_transfer.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>

namespace tarvex {

// The statistics targets of the download window: prepared when it opens (type 5) and
// after a completed download (type 6), and deliberately never sent.
inline constexpr char kDownloadOpenedStatistics[] = "/tj/minclient?game_id=1116&type=5&key=";
inline constexpr char kDownloadDoneStatistics[] = "/tj/minclient?game_id=1116&type=6&key=";

// The download thread of one game: gets the installer to paths::InstallerPath(key)
// (InstallerFetch: resumed, retried, and there only once verified), runs it, waits for it
// and every process of its session, and deletes it once it has run. A Windows installer
// runs through wine in the launcher's prefix, made first when missing, its output going to
// the game's log (dropped when the log cannot be written). The game is installed only when
// the installer exits with status 0 and has left the game's executable; one that fails or
// is killed leaves no executable behind, so the next try installs again. An installer kept
// from a try that could not run it (no wine, no 32-bit wine, no prefix) is verified again
// and run without downloading it, for as long as partial files are kept. It never starts
// the game: the window's hand-back asks the portal again, and that answer starts the game
// once, with its shortcut. At most one worker per game key downloads or installs, in this
// process and across launcher processes (InstallerKeyLock); an installer left running by a
// worker that stopped waiting is recorded with the key, and a later worker says
// "installing", waits for its session, and judges it by the exit status it left.
//
// The owner (the download window) keeps this object, connects its signals and deletes it
// or calls Cancel() when it closes. Nothing here waits for the worker: cancelling stops
// the transfer at its next progress report, or the wait for a running installer within a
// tenth of a second, and the worker ends on its own. An installer that is already running
// keeps running. Signals are delivered on the thread that owns this object.
class InstallerDownload final : public QObject {
  Q_OBJECT

 public:
  // What the worker is doing; the window names it.
  enum class Phase {
    Downloading,
    Verifying,  // the installer is there and is checked against its checksum
    Preparing,  // wine makes the launcher's prefix, the first time
    Installing,  // the installer runs, or an earlier window's installer still does
  };
  Q_ENUM(Phase)

  enum class Outcome {
    Installed,      // the installer ran to its end and left the game's executable
    Unreachable,    // no attempt got the installer through
    Refused,        // the download host will not give it
    Corrupt,        // the installer did not match its published checksum and was deleted
    DiskFull,       // it does not fit on the disk; the part that came is kept
    WineMissing,    // downloaded, but the installer is a Windows program and wine is missing
    Wine32Missing,  // downloaded, but a 32-bit Windows program and the wine here is 64-bit only
    PrepareFailed,  // wine could not make the launcher's prefix
    NoGame,         // the installer could not start, or ended without leaving the game
    InstallFailed,  // the installer failed (exit status not 0, or a signal ended it)
    Failed,         // a local error, or a key that is refused
    Cancelled,
  };
  Q_ENUM(Outcome)

  // progressChanged values run from 0 to this.
  static constexpr int kProgressRange = 1000;

  InstallerDownload(QString address, QString gameKey, QObject* parent = nullptr);
  ~InstallerDownload() override;

  // No bytes for this long fails the download (InstallerTransfer::kDefaultStallTimeout
  // unless set). Before Start().
  void SetStallTimeout(std::chrono::milliseconds timeout);
  // The unit of the back-off waits between attempts (InstallerFetch::kDefaultBackOffUnit
  // unless set). Before Start().
  void SetBackOffUnit(std::chrono::milliseconds unit);
  // How the free space for the installer is measured (InstallerTransfer::DiskFreeSpace
  // unless set). Before Start().
  void SetFreeSpace(InstallerTransfer::FreeSpace freeSpace);
  // Starts the worker; once.
  void Start();
  // Stops the transfer; a later finished() reports Cancelled. Never blocks.
  void Cancel();

  // Bytes received scaled into 0..kProgressRange; 0 while the total is unknown.
  static int ScaledProgress(std::int64_t received, std::int64_t total);

 signals:
  void progressChanged(int value);
  // Bytes of the installer there so far, and its size (-1 while unknown); about 30 a second.
  void transferChanged(qint64 received, qint64 total);
  void phaseChanged(tarvex::InstallerDownload::Phase phase);
  void finished(tarvex::InstallerDownload::Outcome outcome);

 private:
  struct Shared;
  std::shared_ptr<Shared> m_shared;
  bool m_started = false;
};

}  // namespace tarvex
