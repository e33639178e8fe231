#include "browser/nimbo_pay_simle_client.h"

namespace tarvex {

NimboPaySimleClient::NimboPaySimleClient(const ClientContext& context, std::function<void()> closeAndReturn)
    : BrowserClient(context.prompt), m_context(context), m_closeAndReturn(std::move(closeAndReturn)) {}

bool NimboPaySimleClient::OnBeforeBrowse(BrowserView*, const QString&) { return false; }

bool NimboPaySimleClient::OnBeforePopup(BrowserView*, const QString&, PopupDisposition) { return false; }

}  // namespace tarvex
