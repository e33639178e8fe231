#include "install/download_address.h"

#include "platform/clock.h"
#include "platform/hosts.h"

#include <QUrl>

#include <cstdint>

namespace tarvex {

QString DownloadAddress(const Hosts& hosts, const QString& gameKey, Clock& clock) {
  const auto ticks = static_cast<std::int32_t>(clock.TickCount());
  // '#', '?' or '%' in a key must not change which file is asked for.
  const QString key = QString::fromLatin1(QUrl::toPercentEncoding(gameKey));
  return hosts.downloadScheme + QStringLiteral("://") + hosts.download + QStringLiteral("/games/") + key +
         QStringLiteral("/download-") + key + QStringLiteral(".exe?t=") + QString::number(ticks);
}

}  // namespace tarvex
