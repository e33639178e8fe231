#include "install/installer_session.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <thread>

namespace tarvex {
namespace {

constexpr std::chrono::milliseconds kPoll{100};

// State, process group, session and start time of /proc/PID/stat; the name before them
// may hold blanks and parentheses, so the fields are counted from its last ')'.
struct ProcessStat {
  char state = 0;
  qint64 group = 0;
  qint64 session = 0;
  qint64 startTime = 0;
};

bool ReadStat(const QString& pid, ProcessStat& stat) {
  QFile file(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = file.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  // Field 22 of the file, the start time, is the 20th after the name.
  if (fields.size() < 20 || fields[0].isEmpty()) return false;
  stat = {fields[0][0], fields[2].toLongLong(), fields[3].toLongLong(), fields[19].toLongLong()};
  return true;
}

// Whether `pid` is one of wine's own programs (C:\windows\system32\explorer.exe /desktop,
// services.exe, ...), as wine names them in the command line. The first program with a
// window that a prefix runs starts wine's desktop in its session, and it lives on, like the
// services, as long as the prefix's server: it belongs to the prefix, not to the installer.
bool IsWineOwnProgram(const QString& pid) {
  QFile file(QStringLiteral("/proc/") + pid + QStringLiteral("/cmdline"));
  if (!file.open(QIODevice::ReadOnly)) return false;
  return file.read(64).toLower().startsWith(QByteArrayLiteral("c:\\windows\\"));
}

}  // namespace

void InstallerSession::BecomeLeader() { ::setsid(); }

QString InstallerSession::RecordingShell() { return QStringLiteral("/bin/sh"); }

QStringList InstallerSession::RecordingArguments(const QString& statusFile, const QString& program,
                                                 const QStringList& arguments) {
  // The script's first argument is the status file, the rest the installer and its own.
  return QStringList{QStringLiteral("-c"), QStringLiteral("status=\"$1\"; shift; \"$@\"; echo $? > \"$status\""),
                     QStringLiteral("installer"), statusFile, program} +
         arguments;
}

std::optional<int> InstallerSession::RecordedStatus(const QString& statusFile) {
  QFile file(statusFile);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  bool number = false;
  const int status = file.readAll().trimmed().toInt(&number);
  if (!number) return std::nullopt;
  return status;
}

std::optional<qint64> InstallerSession::StartTime(qint64 pid) {
  ProcessStat stat;
  if (pid <= 0 || !ReadStat(QString::number(pid), stat) || stat.state == 'Z') return std::nullopt;
  return stat.startTime;
}

bool InstallerSession::IsRunning(qint64 leader) {
  const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& pid : pids) {
    ProcessStat stat;
    if (!ReadStat(pid, stat) || stat.state == 'Z') continue;
    // A child that made a group of its own stays in the session.
    if (stat.session == leader && !IsWineOwnProgram(pid)) return true;
  }
  return false;
}

bool InstallerSession::WaitUntilEnded(qint64 leader, std::chrono::milliseconds limit,
                                      const std::atomic<bool>& cancelled) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (IsRunning(leader)) {
    if (cancelled.load() || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

}  // namespace tarvex
