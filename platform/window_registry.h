#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace tarvex {

// The one owner of the launcher's top-level windows other than the main window: game,
// pay and download windows, the pop-ups pages open and the dev tools. Whoever creates
// such a window adds it here at once. A window that deletes itself (on close, or later)
// is forgotten when it goes; whatever is left when the program ends is deleted here, in
// the order of `Kind`, before the main window and the browser profile.
//
// GUI thread only.
class WindowRegistry final {
 public:
  // In the order the windows end: dev tools before the pages they inspect, pop-ups before
  // the windows whose pages opened them.
  enum class Kind { DevTools, Popup, Game, Pay, Download };

  WindowRegistry() = default;
  ~WindowRegistry();

  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  // Takes `window` (a top-level window, or a child shown as a window of its own); returns it.
  template <class Window>
  Window* Add(Kind kind, Window* window) {
    Track(kind, window);
    return window;
  }

  // The first window of `kind` that is shown. Closing a window hides it at once, so a
  // closed window is not found here even before it has been deleted.
  QWidget* Shown(Kind kind) const;
  // Every window of `kind` that still exists, in the order they were added.
  QList<QWidget*> Windows(Kind kind) const;

  // Hides every window: the program is ending.
  void HideAll();
  // Deletes every window, kind by kind in the order of `Kind`.
  void DeleteAll();

 private:
  struct Entry {
    Kind kind;
    QPointer<QWidget> window;
  };

  void Track(Kind kind, QWidget* window);

  std::vector<Entry> m_entries;
};

}  // namespace tarvex
