#pragma once

#include "browser/browser_client.h"
#include "browser/client_context.h"

namespace tarvex {

// The client of the main window's browser: opens the developer tools on F12.
class NimboSimleClient final : public BrowserClient {
 public:
  explicit NimboSimleClient(const ClientContext& context);

  bool OnBeforeBrowse(BrowserView* browser, const QString& address) override;
  bool OnBeforePopup(BrowserView* browser, const QString& target, route::PopupDisposition disposition) override;
  void OnPreKeyEvent(BrowserView* browser, const QKeyEvent& event) override;

 private:
  ClientContext m_context;
};

}  // namespace tarvex
