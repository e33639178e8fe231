#pragma once

#include <QString>

namespace tarvex {

class Clock;
struct Hosts;

// Where a game's installer is downloaded from:
// SCHEME://DOWNLOADHOST/games/KEY/download-KEY.exe?t=TICKS, the tick count read once and
// written as a signed 32-bit number (it only makes each address unique). The key is
// percent-encoded (UTF-8) in both places; unusable keys are refused before this point.
QString DownloadAddress(const Hosts& hosts, const QString& gameKey, Clock& clock);

}  // namespace tarvex
