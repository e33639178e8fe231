#pragma once

#include <QProcessEnvironment>

namespace tarvex {

// The environment of the programs the launcher starts (games, installers, the user's
// browser): the launcher's own, except the variables it set for its browser engine (its
// switches, which turn web security off, its sub-process path and the sandbox switch),
// which are as they were when the launcher started. A Qt WebEngine program started with
// the launcher's would run with the launcher's engine settings.
QProcessEnvironment ProgramEnvironment();

}  // namespace tarvex
