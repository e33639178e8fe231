#include "platform/program_starter.h"

#include "platform/program_environment.h"

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

QString Wine() { return QStandardPaths::findExecutable(QStringLiteral("wine")); }

}  // namespace

ProgramCommand CommandFor(const QString& program, const QStringList& arguments) {
  if (IsWindowsProgram(program)) {
    const QString wine = Wine();
    if (!wine.isEmpty()) return {wine, QStringList{program} + arguments};
  }
  return {program, arguments};
}

bool MissesWine(const QString& program) { return IsWindowsProgram(program) && Wine().isEmpty(); }

bool ProcessProgramStarter::StartDetached(const QString& program, const QStringList& arguments) {
  const ProgramCommand command = CommandFor(program, arguments);
  QProcess process;
  process.setProgram(command.program);
  process.setArguments(command.arguments);
  process.setWorkingDirectory(QFileInfo(program).absolutePath());
  process.setProcessEnvironment(ProgramEnvironment());
  return process.startDetached();
}

}  // namespace tarvex
