#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <atomic>
#include <chrono>

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

// The Windows path of `file`: C:\Tarvex\Box\... for a file below `boxFolder` (which ends
// with '/'), the file's own path otherwise (wine reaches the whole file system as Z:).
QString WindowsPath(const QString& file, const QString& boxFolder);

// The folder a program below the Box folder runs in, reached through the prefix's link, so
// that wine shows it as C:\Tarvex\Box\...; other folders stay as they are.
QString FolderInPrefix(const QString& folder);

// `base` with the prefix and wine's menu builder off (the launcher writes its own
// shortcuts), and without the Mono and Gecko installers, which would ask the user.
// `workingDirectory` is also given as PWD: wine takes a program's working folder from it,
// link and all, where the kernel's would name the link's target.
QProcessEnvironment Environment(QProcessEnvironment base, const QString& workingDirectory);

// Whether the prefix has been made to its end (wine writes system.reg last).
bool IsPrefixReady();

// Makes C:\Tarvex\Box the Box folder: creates the link when missing. False when something
// else stands in its place.
bool LinkBox();

enum class Preparation { Ready, Failed, Cancelled };
// Prepares the prefix when it is missing or half-made (wineboot --init, without questions),
// waiting at most `limit`, and links the Box folder. Wine's output goes to `logFile`.
// Blocks: for worker threads. One preparation at a time in the process.
Preparation PreparePrefix(const QString& logFile, const std::atomic<bool>& cancelled,
                          std::chrono::milliseconds limit);

}  // namespace tarvex::wine
