#include "browser/portal_outage_page.h"

#include "browser/browser_view.h"
#include "browser/launcher_page.h"
#include "browser/nimbo_page.h"
#include "platform/trace.h"

#include <QWebEngineSettings>

#include <algorithm>

namespace tarvex {
namespace {

constexpr std::chrono::seconds kFirstRetry{2};
constexpr std::chrono::seconds kLongestRetry{60};
// Chromium's net::ERR_TIMED_OUT, which the engine files under its internal errors.
constexpr int kTimedOut = -7;

// Host and port as the engine reports them (lower case, default port dropped), so that
// a configured "Portal.Example:80" matches what was loaded.
bool SameServer(const QUrl& a, const QUrl& b) {
  return !a.host().isEmpty() && a.host() == b.host() && a.port(80) == b.port(80);
}

}  // namespace

bool IsNetworkFailure(QWebEngineLoadingInfo::ErrorDomain domain, int errorCode) {
  switch (domain) {
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::CertificateErrorDomain:
    case QWebEngineLoadingInfo::DnsErrorDomain:
      return true;
    case QWebEngineLoadingInfo::InternalErrorDomain:
      return errorCode == kTimedOut;
    default:
      return false;
  }
}

std::chrono::seconds OutageRetryDelay(int attempt) {
  std::chrono::seconds delay = kFirstRetry;
  for (int i = 0; i < attempt && delay < kLongestRetry; ++i) delay *= 2;
  return std::min(delay, kLongestRetry);
}

QString OutagePageHtml(const QUrl& failed) {
  return LauncherPageHtml(QStringLiteral("포털 서버에 연결할 수 없습니다. 연결되면 자동으로 다시 불러옵니다."),
                          QStringLiteral("无法连接到平台服务器，连接恢复后将自动重新加载。"), QStringLiteral("retry"), failed);
}

PortalOutagePage::PortalOutagePage(QWidget* browser, const QString& portalHost)
    : QObject(browser), m_view(qobject_cast<BrowserView*>(browser)), m_portal(AddressToUrl(portalHost)) {
  Q_ASSERT(m_view);
  m_retry.setSingleShot(true);
  connect(&m_retry, &QTimer::timeout, this, &PortalOutagePage::Retry);
  connect(m_view->Page(), &QWebEnginePage::loadingChanged, this, &PortalOutagePage::OnLoadingChanged);
}

void PortalOutagePage::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  if (info.url() == m_outagePage) return;
  switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
      // A load the launcher did not retry (a click, timer 1) takes over from the retries.
      if (info.url() != m_failed) ShowEngineErrorPages(true);
      m_retry.stop();
      return;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
      m_attempt = 0;
      m_failed.clear();
      ShowEngineErrorPages(true);
      return;
    default:
      break;
  }
  if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus ||
      !IsNetworkFailure(info.errorDomain(), info.errorCode()) || !SameServer(info.url(), m_portal)) {
    // A load that went nowhere (refused by the routing, stopped) while the launcher's page
    // still shows leaves the retries going.
    if (!m_failed.isEmpty() && m_view->url() == m_outagePage && !m_retry.isActive()) ScheduleRetry();
    return;
  }
  TraceFormat(QStringLiteral("----------portal unreachable----------%s\n"),
              QString::fromUtf8(info.url().toEncoded()) + QLatin1Char(' ') + info.errorString());
  m_failed = info.url();
  m_outagePage = LauncherPageUrl(OutagePageHtml(m_failed));
  m_view->Page()->LoadLocalPage(m_outagePage, m_failed);
  // The retries that fail again keep the launcher's page, without the engine's in between.
  ShowEngineErrorPages(false);
  ScheduleRetry();
}

void PortalOutagePage::ScheduleRetry() { m_retry.start(OutageRetryDelay(m_attempt++)); }

void PortalOutagePage::ShowEngineErrorPages(bool show) {
  m_view->Page()->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, show);
}

void PortalOutagePage::Retry() { m_view->load(m_failed); }

}  // namespace tarvex
