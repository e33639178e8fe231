#pragma once

#include "browser/browser_client.h"
#include "browser/client_context.h"

namespace tarvex {

// The client of a game window's browser.
class NimboGameSimleClient final : public BrowserClient {
 public:
  explicit NimboGameSimleClient(const ClientContext& context);

  bool OnBeforeBrowse(BrowserView* browser, const QString& address) override;
  bool OnBeforePopup(BrowserView* browser, const QString& target, route::PopupDisposition disposition) override;

 private:
  ClientContext m_context;
};

}  // namespace tarvex
