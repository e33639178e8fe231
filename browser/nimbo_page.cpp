#include "browser/nimbo_page.h"

#include "browser/browser_client.h"
#include "browser/browser_view.h"
#include "browser/navigation_routing.h"
#include "platform/trace.h"
#include "platform/window_registry.h"

#include <QWebEngineNewWindowRequest>

namespace tarvex {
namespace {

route::PopupDisposition DispositionOf(QWebEngineNewWindowRequest::DestinationType destination) {
  switch (destination) {
    case QWebEngineNewWindowRequest::InNewTab: return route::PopupDisposition::NewForegroundTab;
    case QWebEngineNewWindowRequest::InNewBackgroundTab: return route::PopupDisposition::NewBackgroundTab;
    case QWebEngineNewWindowRequest::InNewDialog: return route::PopupDisposition::NewPopup;
    case QWebEngineNewWindowRequest::InNewWindow: return route::PopupDisposition::NewWindow;
  }
  return route::PopupDisposition::Unknown;
}

QString AddressText(const QUrl& url) { return QString::fromUtf8(url.toEncoded()); }

}  // namespace

NimboPage::NimboPage(QWebEngineProfile* profile, std::shared_ptr<BrowserClient> client, BrowserView* view)
    : QWebEnginePage(profile, view), m_client(std::move(client)), m_view(view) {
  connect(this, &QWebEnginePage::newWindowRequested, this, &NimboPage::OnNewWindowRequested);
}

void NimboPage::LoadLocalPage(const QUrl& page, const QUrl& standsFor) {
  m_localPage = page;
  m_localPageStandsFor = standsFor;
  load(page);
}

QUrl NimboPage::ShownAddress() const {
  const QUrl shown = url();
  return !m_localPage.isEmpty() && shown == m_localPage ? m_localPageStandsFor : shown;
}

bool NimboPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
  if (isMainFrame && !m_localPage.isEmpty() && url == m_localPage) return true;
  return !m_client->OnBeforeBrowse(m_view, AddressText(url));
}

void NimboPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int lineNumber,
                                         const QString& sourceID) {
  Trace(QStringLiteral("----------page console----------%1:%2 %3\n")
            .arg(sourceID, QString::number(lineNumber), message));
}

void NimboPage::OnNewWindowRequested(QWebEngineNewWindowRequest& request) {
  if (m_client->OnBeforePopup(m_view, AddressText(request.requestedUrl()), DispositionOf(request.destination())))
    return;  // not opened: the engine blocks it
  auto* popup = m_client->Windows().Add(WindowRegistry::Kind::Popup,
                                        new BrowserView(profile(), m_client, nullptr, /*popup=*/true));
  const QRect geometry = request.requestedGeometry();
  popup->resize(geometry.isValid() && !geometry.isEmpty() ? geometry.size() : QSize(800, 600));
  request.openIn(popup->Page());
  popup->show();
}

}  // namespace tarvex
