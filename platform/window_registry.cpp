#include "platform/window_registry.h"

namespace tarvex {

WindowRegistry::~WindowRegistry() { DeleteAll(); }

void WindowRegistry::Track(Kind kind, QWidget* window) {
  std::erase_if(m_entries, [](const Entry& entry) { return entry.window.isNull(); });
  m_entries.push_back(Entry{kind, window});
}

QWidget* WindowRegistry::Shown(Kind kind) const {
  for (const Entry& entry : m_entries) {
    if (entry.kind == kind && entry.window && entry.window->isVisible()) return entry.window;
  }
  return nullptr;
}

QList<QWidget*> WindowRegistry::Windows(Kind kind) const {
  QList<QWidget*> windows;
  for (const Entry& entry : m_entries) {
    if (entry.kind == kind && entry.window) windows.append(entry.window);
  }
  return windows;
}

void WindowRegistry::HideAll() {
  for (const Entry& entry : m_entries) {
    if (entry.window) entry.window->hide();
  }
}

void WindowRegistry::DeleteAll() {
  for (const Kind kind : {Kind::DevTools, Kind::Popup, Kind::Game, Kind::Pay, Kind::Download}) {
    // Deleting one window may delete others (its children), which their pointers notice.
    QList<QPointer<QWidget>> due;
    for (QWidget* window : Windows(kind)) due.append(window);
    for (const QPointer<QWidget>& window : due) delete window.data();
  }
  m_entries.clear();
}

}  // namespace tarvex
