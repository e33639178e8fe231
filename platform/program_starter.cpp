#include "platform/program_starter.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tarvex {
namespace {

bool IsWindowsProgram(const QString& program) {
  QFile file(program);
  return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

}  // namespace

bool ProcessProgramStarter::StartDetached(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setWorkingDirectory(QFileInfo(program).absolutePath());
  if (IsWindowsProgram(program)) {
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (!wine.isEmpty()) {
      process.setProgram(wine);
      process.setArguments(QStringList{program} + arguments);
    }
  }
  return process.startDetached();
}

}  // namespace tarvex
