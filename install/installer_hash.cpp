#include "install/installer_hash.h"

namespace tarvex {
namespace {

// Sixty-four pieces of the transfer's quarter-megabyte buffer: room for the hash to fall
// behind for a while on a busy machine.
constexpr std::size_t kMaxQueued = 64;

}  // namespace

InstallerHash::InstallerHash() : m_thread([this] { Work(); }) {}

InstallerHash::~InstallerHash() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_changed.notify_all();
  m_thread.join();
}

void InstallerHash::Add(QByteArrayView data) {
  if (data.isEmpty()) return;
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return m_queue.size() < kMaxQueued; });
  m_queue.emplace_back(data.data(), data.size());
  m_changed.notify_all();
}

void InstallerHash::Reset() {
  const std::lock_guard lock(m_mutex);
  m_queue.emplace_back();
  m_changed.notify_all();
}

QByteArray InstallerHash::Result() {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
  return m_sha.Result();
}

void InstallerHash::Work() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_changed.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    if (m_queue.empty()) return;
    const QByteArray piece = std::move(m_queue.front());
    m_queue.pop_front();
    m_busy = true;
    m_changed.notify_all();
    lock.unlock();
    if (piece.isNull()) m_sha.Reset();
    else m_sha.Add(piece);
    lock.lock();
    m_busy = false;
    m_changed.notify_all();
  }
}

}  // namespace tarvex
