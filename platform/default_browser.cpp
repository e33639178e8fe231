#include "platform/default_browser.h"

#include "platform/trace.h"

#include <QDesktopServices>

namespace tarvex {

bool IsWebAddress(const QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool DefaultBrowser::Open(const QString& address) {
  if (!IsWebAddress(address)) {
    TraceFormat(QStringLiteral("----------default browser refused----------%s\n"), address);
    return false;
  }
  Hand(QUrl(address, QUrl::StrictMode));
  return true;
}

void DesktopDefaultBrowser::Hand(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace tarvex
