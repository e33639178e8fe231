#include "platform/program_environment.h"

#include <QFile>

namespace tarvex {
namespace {

constexpr const char* kEngineVariables[] = {"QTWEBENGINE_CHROMIUM_FLAGS", "QTWEBENGINEPROCESS_PATH",
                                            "QTWEBENGINE_DISABLE_SANDBOX"};

// The environment this process was started with: the kernel keeps it apart from the
// changes made since.
QProcessEnvironment StartEnvironment() {
  QProcessEnvironment environment;
  QFile file(QStringLiteral("/proc/self/environ"));
  if (!file.open(QIODevice::ReadOnly)) return environment;
  for (const QByteArray& entry : file.readAll().split('\0')) {
    const qsizetype equals = entry.indexOf('=');
    if (equals > 0)
      environment.insert(QString::fromLocal8Bit(entry.left(equals)), QString::fromLocal8Bit(entry.mid(equals + 1)));
  }
  return environment;
}

}  // namespace

QProcessEnvironment ProgramEnvironment() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  const QProcessEnvironment start = StartEnvironment();
  for (const char* variable : kEngineVariables) {
    const QString name = QString::fromLatin1(variable);
    if (start.contains(name))
      environment.insert(name, start.value(name));
    else
      environment.remove(name);
  }
  return environment;
}

}  // namespace tarvex
