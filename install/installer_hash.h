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
// the next bytes: hashing in line would slow a fast download by a third. The transfer's
// small pieces are gathered into quarter-megabyte buffers, which are reused, and queued;
// Add() waits only when the hash falls far behind. Add(), Reset() and Result() are
// called from one thread.
class InstallerHash {
 public:
  InstallerHash();
  ~InstallerHash();
  InstallerHash(const InstallerHash&) = delete;
  InstallerHash& operator=(const InstallerHash&) = delete;

  void Add(QByteArrayView data);
  // Drops everything added so far.
  void Reset();
  // Waits until everything added is hashed; the digest of what was added since the last
  // Reset().
  QByteArray Result();

 private:
  struct Piece {
    QByteArray bytes;
    bool reset = false;
  };
  void Queue(Piece piece);
  void Work();

  QByteArray m_filling;  // the caller's, until it is queued
  Sha256 m_sha;
  std::mutex m_mutex;
  std::condition_variable m_work;  // the worker waits for pieces
  std::condition_variable m_room;  // the caller waits for room, or for the queue to drain
  std::deque<Piece> m_queue;
  std::vector<QByteArray> m_spare;  // hashed pieces' buffers, for the next ones
  bool m_busy = false;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace tarvex
