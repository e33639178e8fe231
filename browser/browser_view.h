#pragma once

#include <QPointer>
#include <QWebEngineView>

#include <memory>

namespace tarvex {

class BrowserClient;
class NimboPage;

// One browser: a web view that owns its page and is served by a client. A view made by
// a window is that window's child; a pop-up the routing lets through is a top-level
// window of its own.
class BrowserView final : public QWebEngineView {
  Q_OBJECT

 public:
  // `profile` must outlive the view.
  BrowserView(QWebEngineProfile* profile, std::shared_ptr<BrowserClient> client, QWidget* parent,
              bool popup);
  ~BrowserView() override;

  NimboPage* Page() const { return m_page; }
  BrowserClient* Client() const { return m_client.get(); }
  bool IsPopup() const { return m_popup; }
  // Whether a document has been committed (a pop-up that only carried a download has none).
  bool HasDocument() const;

  void LoadAddress(const QString& address);
  // A top-level "DevTools" window on this view's page; a second call raises the same one.
  void ShowDevTools();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  std::shared_ptr<BrowserClient> m_client;
  NimboPage* m_page = nullptr;
  QPointer<QWebEngineView> m_devTools;
  bool m_popup = false;
  bool m_closeReported = false;
};

// Turns an address as the launcher writes it (host and path without a scheme) into a URL
// loaded over http; addresses with a scheme are taken as they are.
QUrl AddressToUrl(const QString& address);

}  // namespace tarvex
