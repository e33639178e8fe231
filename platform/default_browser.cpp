#include "platform/default_browser.h"

#include "platform/program_environment.h"
#include "platform/trace.h"
#include "platform/web_address.h"

#include <QDesktopServices>
#include <QProcess>

namespace tarvex {

bool DefaultBrowser::Open(const QString& address) {
  if (!IsWebAddress(address)) {
    TraceFormat(QStringLiteral("----------default browser refused----------%s\n"), address);
    return false;
  }
  Hand(QUrl(address, QUrl::StrictMode));
  return true;
}

void DesktopDefaultBrowser::Hand(const QUrl& url) {
  // What Qt's own openUrl runs on this desktop, but without the launcher's engine settings.
  QProcess opener;
  opener.setProgram(QStringLiteral("xdg-open"));
  opener.setArguments({QString::fromUtf8(url.toEncoded())});
  opener.setProcessEnvironment(ProgramEnvironment());
  if (!opener.startDetached()) QDesktopServices::openUrl(url);
}

}  // namespace tarvex
