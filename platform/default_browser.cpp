#include "platform/default_browser.h"

#include "platform/trace.h"

#include <QDesktopServices>

namespace tarvex {

bool DefaultBrowser::Open(const QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() ||
      (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    TraceFormat(QStringLiteral("----------default browser refused----------%s\n"), address);
    return false;
  }
  Hand(url);
  return true;
}

void DesktopDefaultBrowser::Hand(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace tarvex
