// Downloads started by a page: the user is asked where the file goes (its suggested name
// in the download folder), and the page steps back in its history at most once. A page
// whose renderer was killed comes back.
#include "browser/browser_host.h"
#include "browser/browser_runtime.h"
#include "browser/browser_view.h"
#include "browser/launcher_page.h"
#include "browser/nimbo_simle_client.h"
#include "browser/portal_outage_page.h"
#include "browser/renderer_recovery.h"
#include "platform/paths.h"
#include "support/fake_services.h"
#include "support/page_server.h"
#include "support/shared_runtime.h"

#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>

namespace tarvex {
namespace {

using namespace tarvex::testing;

constexpr int kTimeoutMs = 30000;

std::string Page(const std::string& title, const std::string& body = "") {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server.Serve("/one", Page("one"));
    m_server.Serve("/two", Page("two"));
    m_server.Serve("/three", Page("three"));
    m_server.ServeDownload("/setup.bin", 8 * 1024 * 1024, "setup.bin");
    m_host.resize(600, 400);
    m_client = std::make_shared<NimboSimleClient>(
        ClientContext{m_fakes.prompt, m_fakes.defaultBrowser, m_views, m_fakes.windows, m_server.Host()});
    m_view = qobject_cast<BrowserView*>(
        CreateBrowser(SharedRuntime(), &m_host, QRect(0, 0, 600, 400), m_client, m_server.Host() + "/one"));
    m_host.show();
    for (const char* next : {"two", "three"}) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(!m_view->title().isEmpty() && m_view->title() != QLatin1String(next) &&
                                   m_view->url().path() != QLatin1String("/") + next); }, kTimeoutMs));
      m_view->LoadAddress(m_server.Host() + "/" + next);
      ASSERT_TRUE(QTest::qWaitFor([&] { return (m_view->title()) == (QString::fromLatin1(next)); }, kTimeoutMs));
    }
    ASSERT_EQ(m_view->history()->count(), 3);
  }

  PageServer m_server;
  FakeServices m_fakes;
  RecordingViews m_views;
  QWidget m_host;
  std::shared_ptr<NimboSimleClient> m_client;
  BrowserView* m_view = nullptr;
};

TEST_F(DownloadTest, AsksWithTheSuggestedNameAndStepsBackOnlyOnce) {
  QTemporaryDir target;
  const QString chosen = target.filePath("chosen.bin");
  m_fakes.prompt.ScriptSaveFileName(chosen);
  m_view->LoadAddress(m_server.Host() + "/setup.bin");

  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(QFileInfo(chosen).size() == 8 * 1024 * 1024); }, kTimeoutMs));
  ASSERT_EQ(m_fakes.prompt.ProposedPaths().size(), 1);
  EXPECT_EQ(m_fakes.prompt.ProposedPaths().constFirst(), paths::DownloadFolder() + "setup.bin");
  ASSERT_TRUE(QTest::qWaitFor([&] { return (m_view->title()) == (QStringLiteral("two")); }, kTimeoutMs));
  // Many progress reports came in; the page went back one entry, not to the first page.
  ASSERT_TRUE(QTest::qWaitFor([&] { return (m_view->history()->currentItemIndex()) == (1); }, kTimeoutMs));
}

TEST_F(DownloadTest, DeclinedSaveAsDropsTheDownloadAndStepsBackOnce) {
  m_view->LoadAddress(m_server.Host() + "/setup.bin");
  ASSERT_TRUE(QTest::qWaitFor([&] { return (m_fakes.prompt.ProposedPaths().size()) == (1); }, kTimeoutMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return (m_view->title()) == (QStringLiteral("two")); }, kTimeoutMs));
  EXPECT_FALSE(QFileInfo::exists(paths::DownloadFolder() + "setup.bin"));
}

// The Save-As dialog runs an event loop of its own, in which the page's window may close
// (a pay window reaching its index page): the download is then dropped, nothing is touched.
TEST_F(DownloadTest, AViewClosedUnderTheSaveAsDialogIsLeftAlone) {
  m_fakes.prompt.WhileNextQuestionIsOpen([this] {
    delete m_view;
    m_view = nullptr;
  });
  QTemporaryDir target;
  const QString chosen = target.filePath("chosen.bin");
  m_fakes.prompt.ScriptSaveFileName(chosen);
  QSignalSpy requested(SharedRuntime().Profile(), &QWebEngineProfile::downloadRequested);
  m_view->LoadAddress(m_server.Host() + "/setup.bin");
  ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() == 1; }, kTimeoutMs));
  // The engine may delete a request it was never given an answer for once its page has gone.
  const QPointer<QWebEngineDownloadRequest> download = requested.at(0).at(0).value<QWebEngineDownloadRequest*>();
  ASSERT_NE(download, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !download || download->isFinished(); }, kTimeoutMs));
  if (download) {
    EXPECT_NE(download->state(), QWebEngineDownloadRequest::DownloadCompleted);
  }
  EXPECT_FALSE(QFileInfo::exists(chosen));
  EXPECT_FALSE(m_client->HasBrowser());
}

// Ends the renderer of `view`'s page once it has one (a renderer that is starting has no
// pid yet), and waits for the engine to tell.
void KillRenderer(BrowserView* view) {
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->page()->renderProcessPid() > 0; }, kTimeoutMs));
  QSignalSpy ended(view->page(), &QWebEnginePage::renderProcessTerminated);
  ::kill(static_cast<pid_t>(view->page()->renderProcessPid()), SIGKILL);
  ASSERT_TRUE(ended.wait(kTimeoutMs));
}

// Killed once, the page is loaded again by itself; killed again within the minute, the
// launcher's page stands in with a button, and the button brings the page back.
TEST(RendererEndTest, AKilledPageComesBackOnceThenWaitsForTheButton) {
  PageServer server;
  server.Serve("/game", Page("game"));
  FakeServices fakes;
  RecordingViews views;
  QWidget host;
  host.resize(600, 400);
  auto client = std::make_shared<NimboSimleClient>(ClientContext{fakes.prompt, fakes.defaultBrowser, views, fakes.windows, server.Host()});
  auto* view = qobject_cast<BrowserView*>(
      CreateBrowser(SharedRuntime(), &host, QRect(0, 0, 600, 400), client, server.Host() + "/game"));
  host.show();
  const auto requests = [&] { return server.Requests().filter("/game").size(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->title() == "game"; }, kTimeoutMs));
  ASSERT_EQ(requests(), 1);

  KillRenderer(view);
  ASSERT_TRUE(QTest::qWaitFor([&] { return requests() == 2 && view->title() == "game"; }, kTimeoutMs));

  KillRenderer(view);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->url().scheme() == "data" && view->title() == "Tarvex"; }, kTimeoutMs));
  EXPECT_EQ(requests(), 2);
  view->page()->runJavaScript(QStringLiteral("document.getElementById('reload').click()"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->url().path() == "/game" && view->title() == "game"; }, kTimeoutMs));
  EXPECT_EQ(requests(), 3);
}

// The outage page of a portal that is down stands for the portal's address: a renderer that
// ends under it comes back to the portal, not to the outage page's own data: address.
TEST(RendererEndTest, AKilledOutagePageLeadsBackToThePortal) {
  QTcpServer reserved;  // a port nobody listens on until the portal comes back
  ASSERT_TRUE(reserved.listen(QHostAddress::LocalHost));
  const int port = reserved.serverPort();
  reserved.close();
  const QString portal = QStringLiteral("127.0.0.1:%1").arg(port);
  FakeServices fakes;
  RecordingViews views;
  QWidget host;
  host.resize(600, 400);
  auto client =
      std::make_shared<NimboSimleClient>(ClientContext{fakes.prompt, fakes.defaultBrowser, views, fakes.windows, portal});
  auto* view = qobject_cast<BrowserView*>(
      CreateBrowser(SharedRuntime(), &host, QRect(0, 0, 600, 400), client, portal + "/game"));
  new PortalOutagePage(view, portal);
  host.show();
  const QUrl outagePage = LauncherPageUrl(OutagePageHtml(AddressToUrl(portal + "/game")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->url() == outagePage; }, kTimeoutMs));

  KillRenderer(view);
  KillRenderer(view);
  const QUrl endedPage = LauncherPageUrl(RendererEndedPageHtml(AddressToUrl(portal + "/game")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->url() == endedPage && view->title() == "Tarvex"; }, kTimeoutMs));
  PageServer back(port);
  back.Serve("/game", Page("game"));
  view->page()->runJavaScript(QStringLiteral("document.getElementById('reload').click()"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->url().path() == "/game" && view->title() == "game"; }, kTimeoutMs));
}

}  // namespace
}  // namespace tarvex
