#pragma once

#include <QUrl>
#include <QWebEnginePage>

#include <memory>

class QWebEngineNewWindowRequest;

namespace tarvex {

class BrowserClient;
class BrowserView;

// A page that puts every navigation and every new-window request before its client.
class NimboPage final : public QWebEnginePage {
  Q_OBJECT

 public:
  NimboPage(QWebEngineProfile* profile, std::shared_ptr<BrowserClient> client, BrowserView* view);

  BrowserClient* Client() const { return m_client.get(); }
  BrowserView* View() const { return m_view; }
  // Loads a page of the launcher's own (a data: address it made) past the client's
  // routing, which is about the portal's addresses, not the launcher's. The page stands in
  // for `standsFor`, the address it shows instead and whose button loads it again.
  void LoadLocalPage(const QUrl& page, const QUrl& standsFor);
  // The address the page shows: while one of the launcher's own pages is shown, the
  // address it stands in for.
  QUrl ShownAddress() const;

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
  // A page's console output goes to the launcher's traces, never to the terminal.
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                const QString& sourceID) override;

 private:
  void OnNewWindowRequested(QWebEngineNewWindowRequest& request);

  std::shared_ptr<BrowserClient> m_client;
  BrowserView* m_view;
  QUrl m_localPage;
  QUrl m_localPageStandsFor;
};

}  // namespace tarvex
