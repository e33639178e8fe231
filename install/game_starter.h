#pragma once

#include "wine/program_command.h"

namespace tarvex {

// Starts games through the companion command's run mode (paths::Companion()), which stays
// with the game for as long as it runs: it keeps the screen saver off and starts it with
// GameMode. Without a companion, the game starts on its own.
class GameStarter final : public ProgramStarter {
 public:
  bool StartDetached(const QString& program, const QStringList& arguments) override;

 private:
  ProcessProgramStarter m_direct;
};

}  // namespace tarvex
