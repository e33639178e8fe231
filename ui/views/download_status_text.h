#pragma once

#include "install/installer_download.h"

#include <QString>

#include <optional>

namespace tarvex {

// What the download window says under its bar: Korean, with Chinese on the line beneath.

// The figures of a running download.
struct TransferFigures {
  qint64 received = 0;
  qint64 total = -1;  // -1 while unknown
  double bytesPerSecond = 0;  // 0 while unknown
  std::optional<qint64> secondsLeft;
};

// The phase, and while downloading: bytes so far and the total, speed and time left, each
// once known.
QString DownloadPhaseText(InstallerDownload::Phase phase, const TransferFigures& figures);
// Said once the installer has left the game, while the main window takes over.
QString GameStartingText();
// Which failure it was and what the user can do; empty for an outcome that is none.
QString DownloadFailureText(InstallerDownload::Outcome outcome);

// 1023 B, 1.5 KB, 12.3 MB, 1.25 GB (powers of 1024).
QString ByteSizeText(qint64 bytes);
// 0:07, 12:34, 1:02:03.
QString DurationText(qint64 seconds);

}  // namespace tarvex
