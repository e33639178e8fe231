#pragma once

#include <QString>
#include <QStringList>

namespace tarvex {

// Starts programs detached from the launcher, never through a shell. The real one, which
// knows how Windows programs run here, is wine/program_command.h's ProcessProgramStarter.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Returns whether the program was started.
  virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

}  // namespace tarvex
