#include "browser/cookie_cleaner.h"

#include <QUrl>

namespace tarvex {

bool IsCookieSentToHost(const QString& cookieDomain, const QString& host) {
  // Parsed as an address so that a port and the brackets of an IPv6 literal drop away.
  const QString hostName = QUrl(QStringLiteral("http://") + host).host();
  if (hostName.isEmpty()) return false;
  QString domain = cookieDomain.toLower();
  domain.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
  if (!domain.startsWith(QLatin1Char('.'))) return domain == hostName;
  const QString base = domain.mid(1);
  return !base.isEmpty() && (hostName == base || hostName.endsWith(domain));
}

}  // namespace tarvex
