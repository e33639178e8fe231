#include "support/test_environment.h"

#include <QDir>

namespace tarvex::testing {

TestEnvironment::TestEnvironment() {
  for (const QString& folder : {Home(), DataHome(), CacheHome(), RuntimeDir(), Root() + QStringLiteral("/config")})
    QDir().mkpath(folder);
  QFile::setPermissions(RuntimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("HOME", Home().toLocal8Bit());
  qputenv("XDG_DATA_HOME", DataHome().toLocal8Bit());
  qputenv("XDG_CACHE_HOME", CacheHome().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (Root() + QStringLiteral("/config")).toLocal8Bit());
  qputenv("XDG_RUNTIME_DIR", RuntimeDir().toLocal8Bit());
}

void PrepareBrowserEnvironment() {
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking");
}

}  // namespace tarvex::testing
