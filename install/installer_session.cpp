#include "install/installer_session.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <thread>

namespace tarvex {
namespace {

constexpr std::chrono::milliseconds kPoll{100};

// State, process group and session of /proc/PID/stat; the name before them may hold
// blanks and parentheses, so the fields are counted from its last ')'.
struct ProcessStat {
  char state = 0;
  qint64 group = 0;
  qint64 session = 0;
};

bool ReadStat(const QString& pid, ProcessStat& stat) {
  QFile file(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = file.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 4 || fields[0].isEmpty()) return false;
  stat = {fields[0][0], fields[2].toLongLong(), fields[3].toLongLong()};
  return true;
}

}  // namespace

void InstallerSession::BecomeLeader() { ::setsid(); }

bool InstallerSession::IsRunning(qint64 leader) {
  const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& pid : pids) {
    ProcessStat stat;
    if (!ReadStat(pid, stat) || stat.state == 'Z') continue;
    // A child that made a group of its own stays in the session.
    if (stat.session == leader) return true;
  }
  return false;
}

bool InstallerSession::WaitUntilEnded(qint64 leader, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (IsRunning(leader)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

}  // namespace tarvex
