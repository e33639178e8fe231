#include "browser/portal_outage_page.h"

#include "browser/browser_view.h"
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

QString HtmlEscaped(const QString& text) { return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;")); }

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
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Tarvex</title><style>"
             "html,body{height:100%;margin:0}"
             "body{background:#0d1118;color:#9da7b3;font-family:sans-serif;display:flex;"
             "align-items:center;justify-content:center;text-align:center}"
             "p{margin:6px 0;font-size:15px}"
             "a{display:inline-block;margin-top:22px;padding:7px 26px;color:#e9d9a6;background:#1c2330;"
             "border:1px solid #b8953f;border-radius:3px;text-decoration:none;font-size:14px}"
             "a:hover{background:#283142}"
             "</style></head><body><div>"
             "<p>포털 서버에 연결할 수 없습니다. 연결되면 자동으로 다시 불러옵니다.</p>"
             "<p>无法连接到平台服务器，连接恢复后将自动重新加载。</p>"
             "<a id=\"retry\" href=\"%1\">다시 시도 · 重试</a>"
             "</div></body></html>")
      .arg(HtmlEscaped(QString::fromUtf8(failed.toEncoded())));
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
  m_outagePage = QUrl(QStringLiteral("data:text/html;charset=utf-8;base64,") +
                      QString::fromLatin1(OutagePageHtml(m_failed).toUtf8().toBase64()));
  m_view->Page()->LoadLocalPage(m_outagePage);
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
