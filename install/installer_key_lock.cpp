#include "install/installer_key_lock.h"

#include "install/installer_session.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvex {
namespace {

// The game keys taken in this process.
struct BusyKeys {
  std::mutex mutex;
  std::condition_variable released;
  QSet<QString> keys;
};
// Never destroyed: a worker that outlives the process's bounded wait at exit may still
// release its key while static objects are torn down.
BusyKeys& Busy() {
  static auto* busy = new BusyKeys;
  return *busy;
}

// How often a worker waiting for a key looks at its cancel flag.
constexpr std::chrono::milliseconds kKeyPoll{50};

}  // namespace

InstallerKeyLock::InstallerKeyLock(QString gameKey) : m_gameKey(std::move(gameKey)) {}

InstallerKeyLock::~InstallerKeyLock() { Release(); }

bool InstallerKeyLock::Take(const std::atomic<bool>& cancelled, const std::function<void()>& waiting) {
  bool waited = false;
  const auto wait = [&] {
    if (!waited) waiting();
    waited = true;
  };
  {
    BusyKeys& busy = Busy();
    std::unique_lock lock(busy.mutex);
    while (busy.keys.contains(m_gameKey)) {
      wait();
      if (cancelled.load()) return false;
      busy.released.wait_for(lock, kKeyPoll);
    }
    busy.keys.insert(m_gameKey);
    m_taken = true;
  }
  if (LockFile(cancelled, wait)) return true;
  Release();
  return false;
}

bool InstallerKeyLock::LockFile(const std::atomic<bool>& cancelled, const std::function<void()>& waiting) {
  const QString path = paths::InstallerLock(m_gameKey);
  QDir().mkpath(QFileInfo(path).path());
  m_file = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a lock file there is still the lock within this process.
  if (m_file < 0) return true;
  while (::flock(m_file, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return true;
    waiting();
    if (cancelled.load()) return false;
    std::this_thread::sleep_for(kKeyPoll);
  }
  return true;
}

void InstallerKeyLock::Release() {
  if (m_file >= 0) ::close(m_file);
  m_file = -1;
  if (!m_taken) return;
  m_taken = false;
  {
    const std::lock_guard lock(Busy().mutex);
    Busy().keys.remove(m_gameKey);
  }
  Busy().released.notify_all();
}

bool InstallerKeyLock::RecordSession(qint64 leader) {
  if (m_file < 0) return false;
  const QByteArray text =
      QByteArray::number(leader) + ' ' + QByteArray::number(InstallerSession::StartTime(leader).value_or(0)) + '\n';
  // A record cut short names no session (ReadRecord reads none).
  return ::ftruncate(m_file, 0) == 0 && ::pwrite(m_file, text.constData(), text.size(), 0) == text.size();
}

std::optional<InstallerKeyLock::Record> InstallerKeyLock::ReadRecord() const {
  if (m_file < 0) return std::nullopt;
  char text[64] = {};
  const ssize_t size = ::pread(m_file, text, sizeof text - 1, 0);
  if (size <= 0) return std::nullopt;
  const QList<QByteArray> fields = QByteArray(text, size).trimmed().split(' ');
  bool leaderOk = false;
  bool startOk = false;
  const Record record{fields.value(0).toLongLong(&leaderOk), fields.value(1).toLongLong(&startOk)};
  if (!leaderOk || !startOk || record.leader <= 0) return std::nullopt;
  return record;
}

std::optional<qint64> InstallerKeyLock::RunningSession() const {
  const std::optional<Record> record = ReadRecord();
  if (!record) return std::nullopt;
  // A leader that runs under the same pid but started at another time is another process:
  // the recorded session ended long ago (the kernel reuses no pid a session still holds).
  const std::optional<qint64> started = InstallerSession::StartTime(record->leader);
  if (started && *started != record->startTime) return std::nullopt;
  if (!InstallerSession::IsRunning(record->leader)) return std::nullopt;
  return record->leader;
}

bool InstallerKeyLock::HasSession() const { return ReadRecord().has_value(); }

bool InstallerKeyLock::ClearSession() {
  QFile::remove(StatusFile());
  return m_file < 0 || ::ftruncate(m_file, 0) == 0;
}

QString InstallerKeyLock::StatusFile() const { return paths::InstallerLock(m_gameKey) + QStringLiteral(".status"); }

}  // namespace tarvex
