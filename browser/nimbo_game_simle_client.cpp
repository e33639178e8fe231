#include "browser/nimbo_game_simle_client.h"

namespace tarvex {

NimboGameSimleClient::NimboGameSimleClient(const ClientContext& context)
    : BrowserClient(context.prompt), m_context(context) {}

bool NimboGameSimleClient::OnBeforeBrowse(BrowserView*, const QString&) { return false; }

bool NimboGameSimleClient::OnBeforePopup(BrowserView*, const QString&, PopupDisposition) { return false; }

}  // namespace tarvex
