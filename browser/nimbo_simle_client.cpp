#include "browser/nimbo_simle_client.h"

#include "browser/navigation_routing.h"

#include "browser/browser_view.h"

#include <QKeyEvent>

namespace tarvex {

NimboSimleClient::NimboSimleClient(const ClientContext& context)
    : BrowserClient(context.prompt, context.windows), m_context(context) {}

bool NimboSimleClient::OnBeforeBrowse(BrowserView*, const QString& address) {
  return Follow(route::MainNavigation(address), m_context.views, m_context.defaultBrowser);
}

bool NimboSimleClient::OnBeforePopup(BrowserView*, const QString& target, route::PopupDisposition disposition) {
  return Follow(route::MainPopup(target, disposition), m_context.views, m_context.defaultBrowser);
}

void NimboSimleClient::OnPreKeyEvent(BrowserView* browser, const QKeyEvent& event) {
  if (event.key() == Qt::Key_F12) browser->ShowDevTools();
}

}  // namespace tarvex
