#pragma once

#include <QRect>
#include <QString>

#include <memory>

class QWidget;

namespace tarvex {

class BrowserClient;
class BrowserRuntime;

// Creates a browser as a child of `parent` at `rect`, served by `client`, loading
// `address`. As with the engine's own asynchronous creation, the client is told of the
// new browser (OnAfterCreated) after this call has returned. Returns the browser's widget.
// `runtime` must be initialised and outlive the browser.
QWidget* CreateBrowser(BrowserRuntime& runtime, QWidget* parent, const QRect& rect,
                       const std::shared_ptr<BrowserClient>& client, const QString& address);

}  // namespace tarvex
