#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QKeyEvent;
class QUrl;
class QWebEngineDownloadRequest;
class QWidget;

namespace tarvex {

class BrowserView;
class DefaultBrowser;
class Prompt;
class Views;
class WindowRegistry;

namespace route {
struct Decision;
enum class PopupDisposition : int;
}

// The runtime's one point of contact with the launcher for the browsers of one window:
// records the window's browser, suppresses context menus, handles downloads and decides
// every navigation and pop-up. The behaviour here is shared; the per-window subclasses
// add their routing rules and key handling.
//
// Shared by the owning window and by every page created with it. All calls arrive on the
// GUI thread. Routing hooks answer at once; whatever a decision asks for beyond the
// answer runs afterwards, queued, never inside the engine's callback.
class BrowserClient : public std::enable_shared_from_this<BrowserClient> {
 public:
  // `prompt` and `windows` must outlive this object.
  BrowserClient(Prompt& prompt, WindowRegistry& windows);
  virtual ~BrowserClient();

  BrowserClient(const BrowserClient&) = delete;
  BrowserClient& operator=(const BrowserClient&) = delete;

  bool HasBrowser() const { return !m_browser.isNull(); }
  // The window of the first browser created with this client, once it exists; kept after
  // the browser has gone.
  QWidget* BrowserWindow() const { return m_browserWindow; }
  // Where the pop-ups and dev tools of this client's browsers are kept.
  WindowRegistry& Windows() const { return m_windows; }
  // Loads an address (host + path without a scheme loads over http) into the client's
  // browser; nothing before the browser exists or after it closed.
  void LoadUrlInOwnBrowser(const QString& address);
  // Reloads the client's browser; nothing without one.
  void Reload();

  void OnAfterCreated(BrowserView* browser);
  void OnBeforeClose(BrowserView* browser);

  // True cancels the navigation.
  virtual bool OnBeforeBrowse(BrowserView* browser, const QString& address);
  // True cancels the new window; false lets it open in a pop-up served by this client.
  virtual bool OnBeforePopup(BrowserView* browser, const QString& target, route::PopupDisposition disposition);
  // Sees every key press of the client's views; never consumes it.
  virtual void OnPreKeyEvent(BrowserView* browser, const QKeyEvent& event);

  // Asks where the download goes (the suggested name in the user's download folder) and
  // follows it: the page steps back at most once per download, and a pop-up opened only
  // to carry the download closes when it completes.
  void OnBeforeDownload(BrowserView* browser, QWebEngineDownloadRequest* download);

 protected:
  // Answers the engine with the decision's Cancels() and carries out its action right
  // after, queued on the GUI thread: never a window or message box inside the engine's
  // callback. `closeAndReturn` serves the pay window's return; the others ignore it.
  bool Follow(const route::Decision& decision, Views& views, DefaultBrowser& defaultBrowser,
              const std::function<void()>& closeAndReturn = {});

 private:
  Prompt& m_prompt;
  WindowRegistry& m_windows;
  // The first browser created with this client, while it lives, and its window: always the
  // same view, under the two names the launcher's design gives them.
  QPointer<BrowserView> m_browser;
  QWidget* m_browserWindow = nullptr;
};

}  // namespace tarvex
