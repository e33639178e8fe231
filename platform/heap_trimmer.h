#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tarvex {

// Gives the pages of freed heap memory back to the system. The C library keeps memory a
// program frees inside its heap for later reuse and returns only what lies at the very
// top; after the engine's bursts of allocation (a page loading, a window's surfaces made
// and dropped) the browser process stays tens of megabytes larger than what it uses.
void ReleaseFreeHeapPages();

// Runs a heap trim once the process has settled: Schedule() on each event that leaves
// freed memory behind, and the trim runs `delay` after the last of them, so a burst of
// loads costs one trim. GUI thread only.
class HeapTrimmer final : public QObject {
  Q_OBJECT

 public:
  explicit HeapTrimmer(std::chrono::milliseconds delay, std::function<void()> trim = ReleaseFreeHeapPages,
                       QObject* parent = nullptr);

  void Schedule();

 private:
  QTimer m_timer;
  std::function<void()> m_trim;
};

}  // namespace tarvex
