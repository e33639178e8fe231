#include "install/installer_hash.h"

#include <cstring>

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
  QByteArray buffer;
  if (!m_spare.empty()) {
    buffer = std::move(m_spare.back());
    m_spare.pop_back();
  }
  lock.unlock();
  // A buffer keeps its capacity: after the first pieces nothing is allocated any more.
  buffer.resize(data.size());
  std::memcpy(buffer.data(), data.data(), static_cast<std::size_t>(data.size()));
  lock.lock();
  m_queue.push_back({std::move(buffer)});
  m_changed.notify_all();
}

void InstallerHash::Reset() {
  const std::lock_guard lock(m_mutex);
  m_queue.push_back({{}, true});
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
    Piece piece = std::move(m_queue.front());
    m_queue.pop_front();
    m_busy = true;
    m_changed.notify_all();
    lock.unlock();
    if (piece.reset) m_sha.Reset();
    else m_sha.Add(piece.bytes);
    lock.lock();
    if (!piece.reset) m_spare.push_back(std::move(piece.bytes));
    m_busy = false;
    m_changed.notify_all();
  }
}

}  // namespace tarvex
