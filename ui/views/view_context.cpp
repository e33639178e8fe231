#include "ui/views/view_context.h"

#include "browser/browser_host.h"

namespace tarvex {

BrowserFactory RuntimeBrowserFactory(BrowserRuntime& runtime) {
  return [&runtime](QWidget* parent, const QRect& rect, const std::shared_ptr<BrowserClient>& client,
                    const QString& address) { return CreateBrowser(runtime, parent, rect, client, address); };
}

}  // namespace tarvex
