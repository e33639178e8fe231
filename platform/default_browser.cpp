#include "platform/default_browser.h"

#include "platform/trace.h"
#include "platform/web_address.h"

#include <QDesktopServices>

namespace tarvex {

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
