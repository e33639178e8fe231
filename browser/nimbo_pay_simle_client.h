#pragma once

#include "browser/browser_client.h"
#include "browser/client_context.h"

#include <functional>

namespace tarvex {

// The client of the pay window's browser. `closeAndReturn` ends the pay window and hands
// control back to the main window.
class NimboPaySimleClient final : public BrowserClient {
 public:
  NimboPaySimleClient(const ClientContext& context, std::function<void()> closeAndReturn);

  bool OnBeforeBrowse(BrowserView* browser, const QString& address) override;
  bool OnBeforePopup(BrowserView* browser, const QString& target, route::PopupDisposition disposition) override;

 private:
  ClientContext m_context;
  std::function<void()> m_closeAndReturn;
};

}  // namespace tarvex
