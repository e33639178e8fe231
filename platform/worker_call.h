#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

namespace tarvex {

// One cancellable call on a worker thread (see worker_threads.h) whose result is carried
// out on the thread of the object that owns it. The owner keeps this object as a member:
// when the owner goes, the call is abandoned and its result dropped.
class WorkerCall {
 public:
  // Runs on the worker; returns what is to happen on the owner's thread afterwards.
  using Work = std::function<std::function<void()>(const std::atomic<bool>& cancelled)>;

  // `owner` owns this object.
  explicit WorkerCall(QObject* owner) : m_owner(owner) {}
  ~WorkerCall() { Abandon(); }

  WorkerCall(const WorkerCall&) = delete;
  WorkerCall& operator=(const WorkerCall&) = delete;

  // Abandons a call still running, then starts `work`.
  void Start(Work work);
  // Sets the running call's cancel flag; its result is dropped. Never blocks.
  void Abandon();
  bool IsRunning() const { return m_running != nullptr; }

 private:
  struct Running;

  QObject* m_owner;
  std::shared_ptr<Running> m_running;
};

}  // namespace tarvex
