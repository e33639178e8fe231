#include "browser/browser_view.h"

#include "browser/browser_client.h"
#include "browser/nimbo_page.h"
#include "browser/renderer_recovery.h"
#include "platform/window_registry.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWebEngineHistory>

namespace tarvex {

BrowserView::BrowserView(QWebEngineProfile* profile, std::shared_ptr<BrowserClient> client,
                         QWidget* parent, bool popup)
    : QWebEngineView(parent), m_client(std::move(client)), m_popup(popup) {
  m_page = new NimboPage(profile, m_client, this);
  setPage(m_page);
  new RendererRecovery(this);
  setContextMenuPolicy(Qt::NoContextMenu);
  if (m_popup) setAttribute(Qt::WA_DeleteOnClose);
}

BrowserView::~BrowserView() {
  if (!m_closeReported) m_client->OnBeforeClose(this);
  delete m_devTools;  // its page goes before ours
}

bool BrowserView::HasDocument() const {
  const QUrl committed = history()->currentItem().url();
  return committed.isValid() && !committed.isEmpty() && committed != QUrl(QStringLiteral("about:blank"));
}

void BrowserView::LoadAddress(const QString& address) { load(AddressToUrl(address)); }

void BrowserView::ShowDevTools() {
  if (!m_devTools) {
    // A window of its own, deleted with the view (or before it, at exit), so its page
    // never outlives the profile.
    m_devTools = m_client->Windows().Add(WindowRegistry::Kind::DevTools, new QWebEngineView(this));
    m_devTools->setWindowFlag(Qt::Window);
    m_devTools->setAttribute(Qt::WA_DeleteOnClose);
    m_devTools->setWindowTitle(QStringLiteral("DevTools"));
    auto* toolsPage = new QWebEnginePage(m_page->profile(), m_devTools);
    m_devTools->setPage(toolsPage);
    m_page->setDevToolsPage(toolsPage);
    m_devTools->resize(1024, 640);
  }
  m_devTools->show();
  m_devTools->raise();
  m_devTools->activateWindow();
}

bool BrowserView::event(QEvent* event) {
  // Keys go to the engine's render widget, a child made by the view; watch it without
  // taking anything from it.
  if (event->type() == QEvent::ChildAdded) {
    if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
      child->installEventFilter(this);
  }
  return QWebEngineView::event(event);
}

bool BrowserView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) m_client->OnPreKeyEvent(this, *static_cast<QKeyEvent*>(event));
  return QWebEngineView::eventFilter(watched, event);
}

void BrowserView::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

void BrowserView::closeEvent(QCloseEvent* event) {
  if (!m_closeReported) {
    m_closeReported = true;
    m_client->OnBeforeClose(this);
  }
  QWebEngineView::closeEvent(event);
}

QUrl AddressToUrl(const QString& address) {
  const bool hasScheme = address.contains(QLatin1String("://")) ||
                         address.startsWith(QLatin1String("about:")) ||
                         address.startsWith(QLatin1String("data:"));
  return QUrl(hasScheme ? address : QStringLiteral("http://") + address);
}

}  // namespace tarvex
