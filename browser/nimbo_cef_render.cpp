#include "browser/nimbo_cef_render.h"

#include <QStringList>

namespace tarvex {

QList<ChromiumSwitch> NimboCefRender::OnBeforeCommandLineProcessing() const {
  QList<ChromiumSwitch> switches;
  switches.append({QStringLiteral("--device-scale-factor"), QStringLiteral("1")});
  if (m_disableGpu == 1) {
    switches.append({QStringLiteral("--disable-gpu"), QStringLiteral("1")});
    switches.append({QStringLiteral("--disable-gpu-compositing"), QStringLiteral("1")});
  }
  // --disable-web-security is the switch with the most weight here: the portal's pages
  // read each other's content across origins (the portal, its game frames and the social
  // host), and without it Chromium's same-origin policy would refuse them. It also means
  // that any page a launcher browser shows can read what every other origin answers with
  // the user's cookies: the launcher's browsers are for the portal's pages, and the pages
  // the portal marks as outside go to the user's own browser.
  for (const char* name : {"--proxy-auto-detect", "--enable-npapi", "--disable-web-security",
                           "allow-outdated-plugins", "ppapi-out-of-process"}) {
    switches.append({QString::fromLatin1(name), QString()});
  }
  const QString flashVersion = QString::fromLocal8Bit(m_flashVersion);
  if (flashVersion.size() >= 11) {
    switches.append({QStringLiteral("ppapi-flash-version"), flashVersion});
    // The plug-in is a shared library here, so the file name takes the platform's extension.
    switches.append({QStringLiteral("ppapi-flash-path"),
                     QStringLiteral("pepflashplayer") + flashVersion + QStringLiteral(".so")});
  }
  return switches;
}

QString ChromiumFlagsText(const QList<ChromiumSwitch>& switches) {
  QStringList parts;
  for (const ChromiumSwitch& item : switches) {
    QString part = item.name.startsWith(QLatin1String("--")) ? item.name : QStringLiteral("--") + item.name;
    if (!item.value.isEmpty()) part += QLatin1Char('=') + item.value;
    parts.append(part);
  }
  return parts.join(QLatin1Char(' '));
}

}  // namespace tarvex
