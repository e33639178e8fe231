#include "browser/nimbo_simle_client.h"

#include "browser/browser_view.h"

#include <QKeyEvent>

namespace tarvex {

NimboSimleClient::NimboSimleClient(const ClientContext& context)
    : BrowserClient(context.prompt), m_context(context) {}

bool NimboSimleClient::OnBeforeBrowse(BrowserView*, const QString&) { return false; }

bool NimboSimleClient::OnBeforePopup(BrowserView*, const QString&, PopupDisposition) { return false; }

void NimboSimleClient::OnPreKeyEvent(BrowserView* browser, const QKeyEvent& event) {
  if (event.key() == Qt::Key_F12) browser->ShowDevTools();
}

}  // namespace tarvex
