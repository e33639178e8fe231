#pragma once

#include <QString>

namespace tarvex {

// The log a Windows program's output goes to: paths::ProgramLog(gameKey), its folder made
// when missing and the file cut to its last kProgramLogLimit bytes (from a line start), so
// a game started every day keeps what its last runs printed and no more. The file is cut
// where it is, never replaced: a program of an earlier start that still writes to it goes
// on writing to the log. Returns the path, or empty when the folder cannot be made.
inline constexpr qint64 kProgramLogLimit = 1024 * 1024;
QString PrepareProgramLog(const QString& gameKey);

// The same for the log of the prefix's own preparation (paths::PrefixLog()).
QString PreparePrefixLog();

}  // namespace tarvex
