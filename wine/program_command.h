#pragma once

#include "platform/program_starter.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tarvex {

// How a program is run here. A Windows program (a PE file) runs through wine in the
// launcher's prefix (wine/wine.h): at its Windows path when it lies in the Box folder,
// in its own folder as wine shows it, its output going to the log of its game
// (paths::ProgramLog of its name, without an installer's "-7z"). Anything else runs as it
// is, in its own folder.
struct ProgramCommand {
  QString program;
  QStringList arguments;
  QString workingDirectory;
  QProcessEnvironment environment;
  QString logFile;  // empty: output goes where the launcher's goes
};
// A Windows program runs under the locale its language needs (wine/program_locale.h).
ProgramCommand CommandFor(const QString& program, const QStringList& arguments);

// The locale a Windows program needs that the system lacks, for the user to be told; empty
// when it has it, or when the program runs under the user's own. The program starts anyway.
QString MissingLocale(const QString& program);

// Whether `program` can start here. Checked before a game or installer is started, so the
// user can be told why not.
enum class Runnability {
  Runs,
  NeedsWine,       // a Windows program, and there is no wine
  Needs32BitWine,  // a 32-bit Windows program, and the wine here runs 64-bit programs only,
                   // or the kernel runs no 32-bit programs
};
Runnability CheckRunnable(const QString& program);

// Sets `process` up to run `command`, the command of `program`: for a Windows program the
// Box folder's link in the prefix is made and the log prepared.
void ConfigureProcess(QProcess& process, const QString& program, const ProgramCommand& command);

// Makes the launcher's prefix when `command` runs a Windows program and the prefix is not
// ready (missing, or made with another wine), without wine's own windows. Blocks for as
// long as that takes, minutes at most: not on the GUI thread. False when there is no prefix.
bool PrefixReadyFor(const ProgramCommand& command);

// The real starter.
class ProcessProgramStarter final : public ProgramStarter {
 public:
  bool StartDetached(const QString& program, const QStringList& arguments) override;
};

}  // namespace tarvex
