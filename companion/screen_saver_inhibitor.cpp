#include "companion/screen_saver_inhibitor.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace tarvex {
namespace {

constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr char kPath[] = "/org/freedesktop/ScreenSaver";

QDBusInterface ScreenSaver() {
  return QDBusInterface(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kService),
                        QDBusConnection::sessionBus());
}

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QString& application, const QString& reason) {
  if (!QDBusConnection::sessionBus().isConnected()) return;
  QDBusInterface screenSaver = ScreenSaver();
  const QDBusReply<uint> cookie = screenSaver.call(QStringLiteral("Inhibit"), application, reason);
  if (cookie.isValid()) m_cookie = cookie.value();
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
  if (!m_cookie) return;
  QDBusInterface screenSaver = ScreenSaver();
  screenSaver.call(QStringLiteral("UnInhibit"), *m_cookie);
}

}  // namespace tarvex
