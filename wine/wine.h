#pragma once

#include <QProcessEnvironment>
#include <QString>

// How Windows programs run here: through wine, in the launcher's own prefix
// (paths::WinePrefix()), whose C:\Tarvex\Box is a link to the launcher's Box folder, so the
// Windows paths the portal's installers and games use are the launcher's own folders. The
// user's ~/.wine, and any prefix the user set up, are never touched: WINEPREFIX is set for
// the programs started here only, never in the launcher's own environment.
namespace tarvex::wine {

// The wine to use: TARVEX_WINE when set (a path, or a name looked up on the PATH), else
// wine on the PATH; empty when there is none.
QString Executable();

// Whether the wine at `executable` can run 32-bit programs: a 32-bit loader is installed
// beside it (as the 32-bit package of a distribution puts it there), or its Windows side
// has 32-bit system libraries of its own (a WoW64 build). Symbolic links are followed.
bool Runs32Bit(const QString& executable);

// Whether this system's kernel runs 32-bit x86 programs at all: a kernel without IA-32
// emulation (or with it turned off) refuses them with "Exec format error", whatever wine
// is installed. Found out once, by starting a 32-bit program of a few bytes that only
// exits; true when that cannot be tried, so that nothing is refused on a guess.
bool KernelRuns32BitPrograms();

// The Windows path of `file`: C:\Tarvex\Box\... for a file below `boxFolder` (which ends
// with '/'), the file's own path otherwise (wine reaches the whole file system as Z:).
QString WindowsPath(const QString& file, const QString& boxFolder);

// The folder a program below the Box folder runs in, reached through the prefix's link, so
// that wine shows it as C:\Tarvex\Box\...; other folders stay as they are.
QString FolderInPrefix(const QString& folder);

// The wine server of the wine at `executable`: the one beside it (through its links), else
// wineserver on the PATH; empty when there is none.
QString ServerExecutable(const QString& executable);

// The setup file (wine.inf) of the wine at `executable`; wine updates a prefix whenever
// that file is newer than the prefix. Empty when it cannot be found.
QString SetupFile(const QString& executable);

// `base` with the prefix and wine's menu builder off (the launcher writes its own
// shortcuts), and without the Mono and Gecko installers, which would ask the user. The
// user's WINEARCH, WINESERVER, WINELOADER and WINEDLLPATH are left out (they belong to the
// user's own wine set-up), and WINEDEBUG is -all unless the user set it.
// `workingDirectory` is also given as PWD: wine takes a program's working folder from it,
// link and all, where the kernel's would name the link's target.
QProcessEnvironment Environment(QProcessEnvironment base, const QString& workingDirectory);

// Makes C:\Tarvex\Box the Box folder: creates the link when missing. False when something
// else stands in its place. Safe to call from any thread.
bool LinkBox();

}  // namespace tarvex::wine
