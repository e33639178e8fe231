#include "platform/heap_trimmer.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tarvex {

void ReleaseFreeHeapPages() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

HeapTrimmer::HeapTrimmer(std::chrono::milliseconds delay, std::function<void()> trim, QObject* parent)
    : QObject(parent), m_trim(std::move(trim)) {
  m_timer.setSingleShot(true);
  m_timer.setInterval(delay);
  connect(&m_timer, &QTimer::timeout, this, [this] { m_trim(); });
}

void HeapTrimmer::Schedule() { m_timer.start(); }

}  // namespace tarvex
