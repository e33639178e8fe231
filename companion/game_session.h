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

// Whether `program` is a Windows program that must wait for wine's prefix to be prepared
// before it starts: then the companion wants a display, to say so.
bool WaitsForPrefix(const QString& program);

// Runs `program` with `arguments` as the launcher would start it, through GameMode, with
// the screen saver kept off, and waits for it to end; first the prefix it needs is
// prepared, a PreparationWindow saying so when the companion has a QApplication. Returns
// the game's exit code, or -1 when it could not start or crashed.
int RunGame(const QString& program, const QStringList& arguments);

}  // namespace tarvex
