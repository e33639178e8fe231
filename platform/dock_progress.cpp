#include "platform/dock_progress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace tarvex {
namespace {

constexpr char kObjectPath[] = "/com/tarvex/NimboClient/LauncherEntry";
constexpr char kInterface[] = "com.canonical.Unity.LauncherEntry";

void Send(const QVariantMap& properties) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage update =
      QDBusMessage::createSignal(QLatin1String(kObjectPath), QLatin1String(kInterface), QStringLiteral("Update"));
  update << QString::fromLatin1(DockProgress::kApplicationUri) << properties;
  bus.send(update);
}

}  // namespace

DockProgress::~DockProgress() { Clear(); }

void DockProgress::Show(double fraction) {
  fraction = std::clamp(fraction, 0.0, 1.0);
  if (m_shown >= 0 && std::abs(fraction - m_shown) < 0.001) return;
  m_shown = fraction;
  Send({{QStringLiteral("progress"), fraction}, {QStringLiteral("progress-visible"), true}});
}

void DockProgress::Clear() {
  if (m_shown < 0) return;
  m_shown = -1;
  Send({{QStringLiteral("progress"), 0.0}, {QStringLiteral("progress-visible"), false}});
}

}  // namespace tarvex
