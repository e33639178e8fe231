#pragma once

#include <QObject>
#include <QUrl>
#include <QWebEnginePage>

#include <chrono>
#include <optional>

namespace tarvex {

class BrowserView;

// Brings a browser back after its renderer process ended abnormally; the engine would
// leave it flat grey for good. A renderer that was killed (as the out-of-memory killer
// does) is reloaded once at the address it showed; a crash, or a second end within
// kCrashLoopWindow, shows the launcher's own page with a button that loads that address
// again, so a page that keeps crashing never turns into a reload loop. The reload or the
// page is queued after the engine's signal, never run inside it. Lives as long as the
// view (its child). GUI thread only.
class RendererRecovery final : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::seconds kCrashLoopWindow{60};

  explicit RendererRecovery(BrowserView* view);

 private:
  void OnTerminated(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode);

  BrowserView* m_view;
  QUrl m_address;  // what the browser showed when its renderer ended
  std::optional<std::chrono::steady_clock::time_point> m_lastEnd;
};

// The launcher's page for a browser whose page ended: one sentence in the window's
// languages and a button (id "reload") that loads `address` again.
QString RendererEndedPageHtml(const QUrl& address);

}  // namespace tarvex
