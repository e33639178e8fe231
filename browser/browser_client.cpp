#include "browser/browser_client.h"

#include "browser/browser_view.h"
#include "browser/navigation_routing.h"
#include "interfaces/views.h"
#include "platform/default_browser.h"
#include "platform/overloaded.h"
#include "platform/paths.h"
#include "platform/prompt.h"

#include <QFileInfo>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>

namespace tarvex {

BrowserClient::BrowserClient(Prompt& prompt, WindowRegistry& windows) : m_prompt(prompt), m_windows(windows) {}

BrowserClient::~BrowserClient() = default;

void BrowserClient::LoadUrlInOwnBrowser(const QString& address) {
  if (m_browser) m_browser->LoadAddress(address);
}

void BrowserClient::Reload() {
  if (m_browser) m_browser->reload();
}

void BrowserClient::OnAfterCreated(BrowserView* browser) {
  if (m_browser) return;
  m_browser = browser;
  m_browserWindow = browser;
}

void BrowserClient::OnBeforeClose(BrowserView* browser) {
  if (browser == m_browserWindow) m_browser = nullptr;
}

bool BrowserClient::OnBeforeBrowse(BrowserView*, const QString&) { return false; }

bool BrowserClient::OnBeforePopup(BrowserView*, const QString&, route::PopupDisposition) { return false; }

void BrowserClient::OnPreKeyEvent(BrowserView*, const QKeyEvent&) {}

void BrowserClient::OnBeforeDownload(BrowserView* browser, QWebEngineDownloadRequest* download) {
  // The Save-As dialog runs an event loop of its own, in which the page may close its
  // window: watch the view from before it opens, and drop the download when it has gone.
  const QPointer<BrowserView> view(browser);
  const QString proposed = paths::DownloadFolder() + download->suggestedFileName();
  const QString chosen = m_prompt.AskSaveFileName(browser ? browser->window() : nullptr, proposed);
  if (browser && !view) return;  // not accepted here, so the engine drops it

  auto steppedBack = std::make_shared<bool>(false);
  auto stepBackOnce = [view, steppedBack] {
    if (*steppedBack || !view) return;
    *steppedBack = true;
    if (view->history()->canGoBack()) view->back();
  };
  if (chosen.isEmpty()) {  // declined: not accepted here, so the engine drops it
    stepBackOnce();
    return;
  }
  const QFileInfo target(chosen);
  download->setDownloadDirectory(target.absolutePath());
  download->setDownloadFileName(target.fileName());
  download->accept();

  auto onUpdate = [view, download, stepBackOnce] {
    if (download->state() != QWebEngineDownloadRequest::DownloadCompleted) {
      stepBackOnce();
      return;
    }
    if (view && view->IsPopup() && !view->HasDocument()) view->close();
  };
  QObject::connect(download, &QWebEngineDownloadRequest::stateChanged, download, onUpdate);
  QObject::connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, download, onUpdate);
}

}  // namespace tarvex

namespace tarvex {

bool BrowserClient::Follow(const route::Decision& decision, Views& views, DefaultBrowser& defaultBrowser,
                           const std::function<void()>& closeAndReturn) {
  const std::weak_ptr<BrowserClient> alive = weak_from_this();
  auto carryOut = [alive, action = decision.action, &views, &defaultBrowser, closeAndReturn] {
    const std::shared_ptr<BrowserClient> client = alive.lock();
    if (!client) return;  // the window went away in the meantime
    std::visit(Overloaded{
                   [](const route::None&) {},
                   [](const route::KeepPage&) {},
                   [&](const route::OpenPayView& open) { views.OpenPayView(open.address, open.width, open.height, open.label); },
                   [&](const route::LaunchGame& launch) { views.LaunchGame(launch.address); },
                   [&](const route::OpenGameView& open) { views.OpenGameView(open.address, open.openFlag); },
                   [&](const route::OpenDefaultBrowser& open) { defaultBrowser.Open(open.address); },
                   [&](const route::LoadInOwnBrowser& load) { client->LoadUrlInOwnBrowser(load.address); },
                   [&](const route::CloseAndReturn&) {
                     if (closeAndReturn) closeAndReturn();
                   },
               },
               action);
  };
  if (!std::holds_alternative<route::None>(decision.action) && !std::holds_alternative<route::KeepPage>(decision.action))
    QTimer::singleShot(0, carryOut);
  return decision.Cancels();
}

}  // namespace tarvex
