#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// Starts programs detached from the launcher, never through a shell.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Returns whether the program was started.
  virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

// How a program is run here: a Windows program (a file beginning with "MZ") through
// wine when wine is on the PATH, anything else as it is.
struct ProgramCommand {
  QString program;
  QStringList arguments;
};
ProgramCommand CommandFor(const QString& program, const QStringList& arguments);

// Whether `program` cannot start here because it is a Windows program and wine is not on
// the PATH. Checked before a game or installer is started, so the user can be told why.
bool MissesWine(const QString& program);

// The real starter. A Windows program (a file beginning with "MZ") runs through wine
// when wine is on the PATH.
class ProcessProgramStarter final : public ProgramStarter {
 public:
  bool StartDetached(const QString& program, const QStringList& arguments) override;
};

}  // namespace tarvex
