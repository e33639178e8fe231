#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QObject;
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

// Calls `loaded` once, on the GUI thread, when the page of `browser` (made by
// CreateBrowser) has first loaded successfully; never after `context` has gone.
void WhenFirstLoaded(QWidget* browser, QObject* context, std::function<void()> loaded);

// Readies a top-level window, before it is first shown, for a browser that comes later.
// A browser composes its page through OpenGL; Qt gives a window that gains such a child
// after it was shown a new native window (it vanishes and comes back as another X window).
// A hidden OpenGL child made beforehand has Qt create the window fit for it from the start.
void PrepareWindowForLaterBrowser(QWidget* window);

}  // namespace tarvex
