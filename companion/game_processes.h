#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

namespace tarvex {

// A process as /proc shows it: its program (/proc/PID/exe) and its command line.
struct ProcessInfo {
  qint64 pid = 0;
  QString executable;
  QStringList arguments;
};

// Which processes run a program of one game: a native program that lies in the game's
// folder, or a Windows program wine runs from there. Wine's processes are wine's own
// executable; the program they run is the first argument, at its Windows path
// (C:\Tarvex\Box\games\KEY\..., Z:\ and the Unix path) or at its Unix path.
class GameProgramMatcher {
 public:
  // `unixFolders`: the game's folder as paths reach it (each ending with '/');
  // `windowsFolder`: the same folder as wine names it (ending with '\').
  GameProgramMatcher(QStringList unixFolders, QString windowsFolder);
  // The matcher of game `gameKey` as the launcher installs it.
  static GameProgramMatcher ForGame(const QString& gameKey);

  bool Matches(const ProcessInfo& process) const;

 private:
  bool IsInGameFolder(const QString& path) const;

  QStringList m_unixFolders;
  QString m_windowsFolder;
};

// This user's processes, this one left out.
std::vector<ProcessInfo> UserProcesses();

// Ends every process of the game: SIGTERM, then SIGKILL to those still there after
// `grace`. Returns how many there were.
int StopGame(const QString& gameKey, std::chrono::milliseconds grace);

}  // namespace tarvex
