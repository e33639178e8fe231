#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWebEngineLoadingInfo>

#include <chrono>

namespace tarvex {

class BrowserView;

// Whether a load that failed with this error never reached the server: connection refused
// or reset, name not resolved, time-out, TLS failure. An error status the server sent is
// its answer, and a navigation the routing cancelled is no failure at all.
bool IsNetworkFailure(QWebEngineLoadingInfo::ErrorDomain domain, int errorCode);
// The wait before the `attempt`-th load again (0 first): 2, 4, 8 ... at most 60 seconds.
std::chrono::seconds OutageRetryDelay(int attempt);
// The launcher's own page for an unreachable portal: one sentence in the window's
// languages and a button that loads `failed` again. Needs no network.
QString OutagePageHtml(const QUrl& failed);

// Keeps a browser's portal pages from ending on the engine's error page: when a page of
// the portal cannot be loaded at the network level, the browser shows the launcher's own
// page instead and loads the failed address again with back-off until the portal answers.
// Any other navigation that starts meanwhile (a click, timer 1) replaces the pending retry.
// Lives as long as the browser (its child).
class PortalOutagePage final : public QObject {
  Q_OBJECT

 public:
  // `browser` is a browser made by CreateBrowser; `portalHost` is host[:port].
  PortalOutagePage(QWidget* browser, const QString& portalHost);

 private:
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);
  void ScheduleRetry();
  // The engine's own error page, off while retries run behind the launcher's page.
  void ShowEngineErrorPages(bool show);
  void Retry();

  BrowserView* m_view;
  QUrl m_portal;
  QTimer m_retry;
  QUrl m_failed;
  QUrl m_outagePage;
  int m_attempt = 0;
};

}  // namespace tarvex
