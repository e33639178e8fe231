#pragma once

#include "platform/sha256.h"

#include <QByteArray>
#include <QByteArrayView>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvex {

// The SHA-256 of an installer, taken on a thread of its own while the transfer receives
// the next bytes: hashing in line would slow a fast download by a third. Pieces are
// copied into a short queue of reused buffers; Add() waits only when the hash falls that
// far behind.
class InstallerHash {
 public:
  InstallerHash();
  ~InstallerHash();
  InstallerHash(const InstallerHash&) = delete;
  InstallerHash& operator=(const InstallerHash&) = delete;

  // Both are queued, in order with the pieces.
  void Add(QByteArrayView data);
  void Reset();
  // Waits until everything queued is hashed; the digest of what was added since the last
  // Reset().
  QByteArray Result();

 private:
  void Work();

  Sha256 m_sha;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  struct Piece {
    QByteArray bytes;
    bool reset = false;
  };
  std::deque<Piece> m_queue;
  std::vector<QByteArray> m_spare;  // hashed pieces' buffers, for the next ones
  bool m_busy = false;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace tarvex
