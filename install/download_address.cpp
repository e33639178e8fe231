#include "install/download_address.h"

#include "platform/clock.h"
#include "platform/hosts.h"

#include <cstdint>

namespace tarvex {

QString DownloadAddress(const Hosts& hosts, const QString& gameKey, Clock& clock) {
  const auto ticks = static_cast<std::int32_t>(clock.TickCount());
  return hosts.downloadScheme + QStringLiteral("://") + hosts.download + QStringLiteral("/games/") + gameKey +
         QStringLiteral("/download-") + gameKey + QStringLiteral(".exe?t=") + QString::number(ticks);
}

}  // namespace tarvex
