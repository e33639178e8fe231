#pragma once

#include "wine/program_command.h"

#include <QString>
#include <QStringList>

namespace tarvex {

// Whether games start through Feral's GameMode: yes, unless TARVEX_GAMEMODE=0 or the
// launcher's settings (paths::SettingsFile) say GameMode=false.
bool GameModeWanted();

// `command` run through gamemoderun when GameMode is wanted and gamemoderun is installed.
ProgramCommand WithGameMode(ProgramCommand command);

// Runs `program` with `arguments` as the launcher would start it, through GameMode, with
// the screen saver kept off, and waits for it to end. Returns its exit code, or -1 when it
// could not start or crashed.
int RunGame(const QString& program, const QStringList& arguments);

}  // namespace tarvex
