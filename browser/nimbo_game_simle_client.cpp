#include "browser/nimbo_game_simle_client.h"

#include "browser/navigation_routing.h"

namespace tarvex {

NimboGameSimleClient::NimboGameSimleClient(const ClientContext& context)
    : BrowserClient(context.prompt, context.windows), m_context(context) {}

bool NimboGameSimleClient::OnBeforeBrowse(BrowserView*, const QString& address) {
  return Follow(route::GameNavigation(address, m_context.portalHost), m_context.views, m_context.defaultBrowser);
}

bool NimboGameSimleClient::OnBeforePopup(BrowserView*, const QString& target, route::PopupDisposition disposition) {
  return Follow(route::GamePopup(target, disposition), m_context.views, m_context.defaultBrowser);
}

}  // namespace tarvex
