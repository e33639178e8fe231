#include "platform/web_address.h"

#include <QUrl>

namespace tarvex {

bool IsWebAddress(const QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

}  // namespace tarvex
