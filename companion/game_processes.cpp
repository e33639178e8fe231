#include "companion/game_processes.h"

#include "platform/paths.h"
#include "wine/wine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {
namespace {

QString WithSeparator(QString folder, QChar separator) {
  if (!folder.endsWith(separator)) folder += separator;
  return folder;
}

// The Unix path a Windows path on drive Z: (the whole file system) names; empty otherwise.
QString UnixPathOfDriveZ(const QString& windowsPath) {
  if (!windowsPath.startsWith(QLatin1String("Z:\\"), Qt::CaseInsensitive)) return QString();
  return windowsPath.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

std::vector<qint64> GameProcessIds(const GameProgramMatcher& matcher) {
  std::vector<qint64> pids;
  for (const ProcessInfo& process : UserProcesses()) {
    if (matcher.Matches(process)) pids.push_back(process.pid);
  }
  return pids;
}

}  // namespace

GameProgramMatcher::GameProgramMatcher(QStringList unixFolders, QString windowsFolder)
    : m_unixFolders(std::move(unixFolders)), m_windowsFolder(std::move(windowsFolder)) {}

GameProgramMatcher GameProgramMatcher::ForGame(const QString& gameKey) {
  const QString folder = paths::GameFolder(gameKey);
  QStringList folders{folder};
  // /proc names programs by their real path, links resolved.
  const QString real = QFileInfo(folder).canonicalFilePath();
  if (!real.isEmpty()) folders << WithSeparator(real, QLatin1Char('/'));
  folders << paths::WinePrefixBox() + QStringLiteral("/games/") + gameKey + QLatin1Char('/');
  return GameProgramMatcher(folders, wine::WindowsPath(folder, paths::BoxFolder()));
}

bool GameProgramMatcher::IsInGameFolder(const QString& path) const {
  return std::any_of(m_unixFolders.begin(), m_unixFolders.end(),
                     [&](const QString& folder) { return path.startsWith(folder); });
}

bool GameProgramMatcher::Matches(const ProcessInfo& process) const {
  if (IsInGameFolder(process.executable)) return true;
  if (!QFileInfo(process.executable).fileName().startsWith(QLatin1String("wine")) || process.arguments.isEmpty())
    return false;
  const QString& program = process.arguments.constFirst();
  return program.startsWith(m_windowsFolder, Qt::CaseInsensitive) || IsInGameFolder(program) ||
         IsInGameFolder(UnixPathOfDriveZ(program));
}

std::vector<ProcessInfo> UserProcesses() {
  std::vector<ProcessInfo> processes;
  const qint64 self = ::getpid();
  for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool isNumber = false;
    const qint64 pid = name.toLongLong(&isNumber);
    if (!isNumber || pid == self) continue;
    const QString folder = QStringLiteral("/proc/") + name;
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || info.st_uid != ::getuid()) continue;
    QFile cmdline(folder + QStringLiteral("/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly)) continue;
    QStringList arguments;
    for (const QByteArray& argument : cmdline.readAll().split('\0')) arguments << QFile::decodeName(argument);
    // The command line ends with a NUL: the last piece is empty.
    if (!arguments.isEmpty() && arguments.constLast().isEmpty()) arguments.removeLast();
    processes.push_back({pid, QFileInfo(folder + QStringLiteral("/exe")).symLinkTarget(), arguments});
  }
  return processes;
}

int StopGame(const QString& gameKey, std::chrono::milliseconds grace) {
  const GameProgramMatcher matcher = GameProgramMatcher::ForGame(gameKey);
  const std::vector<qint64> found = GameProcessIds(matcher);
  for (const qint64 pid : found) ::kill(static_cast<pid_t>(pid), SIGTERM);
  QElapsedTimer waited;
  waited.start();
  std::vector<qint64> left = found;
  while (!left.empty() && waited.elapsed() < grace.count()) {
    QThread::msleep(100);
    left = GameProcessIds(matcher);
  }
  for (const qint64 pid : left) ::kill(static_cast<pid_t>(pid), SIGKILL);
  return static_cast<int>(found.size());
}

}  // namespace tarvex
