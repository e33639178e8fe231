#include "install/installer_hash.h"

namespace tarvex {
namespace {

// libcurl hands the body over 16 KiB at a time: gathered, one queued piece in sixteen.
constexpr qsizetype kPieceBytes = 256 * 1024;
// Sixty-four pieces, 16 MiB: room for the hash to fall behind for a while on a busy machine.
constexpr std::size_t kMaxQueued = 64;

}  // namespace

InstallerHash::InstallerHash() : m_thread([this] { Work(); }) { m_filling.reserve(kPieceBytes); }

InstallerHash::~InstallerHash() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_work.notify_one();
  m_thread.join();
}

void InstallerHash::Add(QByteArrayView data) {
  m_filling.append(data);
  if (m_filling.size() >= kPieceBytes) Queue({std::move(m_filling)});
}

void InstallerHash::Reset() {
  m_filling.resize(0);
  Queue({{}, true});
}

QByteArray InstallerHash::Result() {
  if (!m_filling.isEmpty()) Queue({std::move(m_filling)});
  std::unique_lock lock(m_mutex);
  m_room.wait(lock, [this] { return m_queue.empty() && !m_busy; });
  return m_sha.Result();
}

void InstallerHash::Queue(Piece piece) {
  QByteArray buffer;
  {
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [this] { return m_queue.size() < kMaxQueued; });
    // The worker sleeps only on an empty queue.
    if (m_queue.empty()) m_work.notify_one();
    m_queue.push_back(std::move(piece));
    // The next piece fills a buffer the hash is through with, when there is one.
    if (m_filling.capacity() < kPieceBytes && !m_spare.empty()) {
      buffer = std::move(m_spare.back());
      m_spare.pop_back();
    }
  }
  if (!buffer.isNull()) m_filling = std::move(buffer);
  // Emptied, not freed: a buffer keeps its capacity.
  m_filling.resize(0);
  m_filling.reserve(kPieceBytes);
}

void InstallerHash::Work() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_work.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    if (m_queue.empty()) return;
    Piece piece = std::move(m_queue.front());
    m_queue.pop_front();
    const bool wasFull = m_queue.size() + 1 == kMaxQueued;
    m_busy = true;
    lock.unlock();
    if (wasFull) m_room.notify_one();
    if (piece.reset) m_sha.Reset();
    else m_sha.Add(piece.bytes);
    lock.lock();
    m_busy = false;
    if (!piece.reset) m_spare.push_back(std::move(piece.bytes));
    if (m_queue.empty()) m_room.notify_one();
  }
}

}  // namespace tarvex
