#include "app/display_environment.h"

#include <QtGlobal>

namespace tarvex {
namespace {

void SetVariable(const char* name, const std::optional<QByteArray>& value) {
  if (value) {
    qputenv(name, *value);
  } else {
    qunsetenv(name);
  }
}

}  // namespace

QByteArray ChooseQtPlatform(const QByteArray& userPlatform, const QByteArray& waylandDisplay,
                            const QByteArray& x11Display) {
  if (!userPlatform.isEmpty()) return userPlatform;
  if (waylandDisplay.isEmpty()) return {};
  return x11Display.isEmpty() ? QByteArrayLiteral("wayland") : QByteArrayLiteral("xcb");
}

DisplayEnvironment::DisplayEnvironment() {
  const QByteArray platform =
      ChooseQtPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
  if (!platform.isEmpty()) Override("QT_QPA_PLATFORM", platform);
  // Windows are sized in device pixels: Qt's own scaling off, and no factor of the desktop's.
  Override("QT_ENABLE_HIGHDPI_SCALING", QByteArrayLiteral("0"));
  for (const char* scale : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"})
    Override(scale, std::nullopt);
}

DisplayEnvironment::~DisplayEnvironment() {
  for (const auto& [name, value] : m_saved) SetVariable(name, value);
}

void DisplayEnvironment::Override(const char* name, const std::optional<QByteArray>& value) {
  m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
  SetVariable(name, value);
}

}  // namespace tarvex
