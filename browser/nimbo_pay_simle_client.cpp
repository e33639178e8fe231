#include "browser/nimbo_pay_simle_client.h"

#include "browser/navigation_routing.h"

namespace tarvex {

NimboPaySimleClient::NimboPaySimleClient(const ClientContext& context, std::function<void()> closeAndReturn)
    : BrowserClient(context.prompt, context.windows), m_context(context), m_closeAndReturn(std::move(closeAndReturn)) {}

bool NimboPaySimleClient::OnBeforeBrowse(BrowserView*, const QString& address) {
  return Follow(route::PayNavigation(address), m_context.views, m_context.defaultBrowser, m_closeAndReturn);
}

bool NimboPaySimleClient::OnBeforePopup(BrowserView*, const QString& target, route::PopupDisposition disposition) {
  return Follow(route::PayPopup(target, disposition), m_context.views, m_context.defaultBrowser, m_closeAndReturn);
}

}  // namespace tarvex
