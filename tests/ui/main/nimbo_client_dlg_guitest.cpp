// The main window against a page served on 127.0.0.1: geometry, browser, dev tools, the
// close question, timer 1 and the end of the window.
#include "browser/browser_host.h"
#include "browser/browser_runtime.h"
#include "browser/browser_view.h"
#include "browser/nimbo_game_simle_client.h"
#include "browser/nimbo_simle_client.h"
#include "support/fake_services.h"
#include "support/page_server.h"
#include "support/shared_runtime.h"
#include "support/trace_capture.h"
#include "ui/main/main_window_skin.h"
#include "ui/main/nimbo_client_dlg.h"
#include "ui/chrome/control_lookup.h"
#include "ui/views/nimbo_game_view.h"
#include "ui/views/nimbo_pay_view.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineCookieStore>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QAbstractButton>
#include <QNetworkCookie>

#include <gtest/gtest.h>

namespace tarvex {

// Receives what the desktop would be asked to open for the test's own scheme (moc needs it
// outside the anonymous namespace).
class SchemeHandler final : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public Q_SLOTS:
  void Open(const QUrl& url) { opened.append(url); }
};

namespace {

using testing::FakeServices;
using testing::PageServer;
using testing::SharedRuntime;

constexpr int kLoadTimeoutMs = 30000;

const char* kSchemePage = R"html(<html><head><title>scheme</title></head><body style="margin:0">
<a href="tarvextest://run/42" style="display:block;height:100vh"
   onclick="setTimeout(() => { document.title = 'clicked'; }, 1000)">run</a></body></html>)html";

const char* kIndexPage = R"(<html><head><title>index</title></head><body style="background:#223">
<script>
document.addEventListener('contextmenu', () => { document.title = 'context menu asked'; });
document.addEventListener('keydown', (e) => { if (e.key === 'F12') document.title = 'F12 reached the page'; });
</script><h1>portal</h1></body></html>)";

// Busy 20 ms of every 50 ms, as an ad rotator or a live counter is; each round shows in the title.
const char* kBusyPage = R"(<html><head><title>busy</title></head><body><script>
let rounds = 0;
setInterval(() => {
  const end = performance.now() + 20;
  while (performance.now() < end) {}
  document.title = 'round ' + ++rounds;
}, 50);
</script></body></html>)";

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_server.Serve("/mini/index/", kIndexPage);
    m_server.Serve("/mini/index", kIndexPage);
    m_server.Serve("/mini/play/index", kIndexPage);
    m_server.Serve("/mini/scheme", kSchemePage);
    m_server.Serve("/mini/busy", kBusyPage);
    m_server.Serve("/play/game", "<html><body>game</body></html>");
    m_fakes.hosts.portal = m_server.Host();
    m_window = std::make_unique<CNimboClientDlg>(m_fakes.Get(), SharedRuntime(), m_fakes.windows, QStringList{});
    ASSERT_TRUE(m_window->OnInitDialog());
    m_window->show();
    m_window->CreateMainBrowser();
  }

  void TearDown() override {
    m_window.reset();
    for (QWidget* widget : QApplication::topLevelWidgets()) delete widget;
  }

  BrowserView* View() const { return qobject_cast<BrowserView*>(m_window->BrowserWidget()); }

  void WaitForLoad() {
    QSignalSpy loaded(View(), &QWebEngineView::loadFinished);
    if (View()->url().isEmpty() || View()->title() != QLatin1String("index")) {
      ASSERT_TRUE(loaded.wait(kLoadTimeoutMs));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return (View()->title()) == (QStringLiteral("index")); }, kLoadTimeoutMs));
  }

  QList<QWidget*> DevToolsWindows() {
    QList<QWidget*> found;
    for (QWidget* widget : m_fakes.windows.Windows(WindowRegistry::Kind::DevTools))
      if (widget->windowTitle() == QLatin1String("DevTools") && widget->isVisible()) found.append(widget);
    return found;
  }

  PageServer m_server;
  FakeServices m_fakes;
  std::unique_ptr<CNimboClientDlg> m_window;
};

TEST_F(MainWindowTest, IsABorderlessCentredWindowWithTheBrowserBelowTheStrip) {
  EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Tarvex Center"));
  EXPECT_EQ(m_window->size(), QSize(1320, 820));
  EXPECT_TRUE(m_window->windowFlags() & Qt::FramelessWindowHint);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((m_window->geometry().center() - area.center()).manhattanLength(), 2);

  ASSERT_NE(View(), nullptr);
  EXPECT_EQ(View()->parentWidget(), m_window.get());
  EXPECT_EQ(View()->geometry(), QRect(0, 38, 1320, 782));

  auto* label = qobject_cast<QLabel*>(FindControl(m_window.get(), CNimboClientDlg::kVersionLabelId));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("V10.02.64"));
  EXPECT_EQ(label->geometry(), QRect(1030, 12, 70, 14));
  EXPECT_EQ(label->font().family(), QStringLiteral("Courier New"));
  EXPECT_EQ(label->font().pointSize(), 10);
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(157, 167, 179));
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 0));
}

TEST_F(MainWindowTest, LoadsTheStartPageOverHttpAndRecordsItsBrowser) {
  WaitForLoad();
  EXPECT_EQ(View()->url(), QUrl(QStringLiteral("http://") + m_server.Host() + QStringLiteral("/mini/index/")));
  EXPECT_TRUE(m_server.Requests().contains(QStringLiteral("/mini/index/")));
  ASSERT_NE(m_window->Client(), nullptr);
  EXPECT_TRUE(m_window->Client()->HasBrowser());
  EXPECT_EQ(m_window->Client()->BrowserWindow(), View());
}

TEST_F(MainWindowTest, RuntimeKeepsTheSettingsOfItsFirstInitialisation) {
  const QList<ChromiumSwitch> first = SharedRuntime().AppliedSwitches();
  NimboCefRender other;
  other.m_disableGpu = 1;
  EXPECT_FALSE(SharedRuntime().Initialize(RuntimeSettings{}, other));
  EXPECT_EQ(SharedRuntime().AppliedSwitches(), first);
  EXPECT_TRUE(SharedRuntime().IsInitialized());
}

TEST_F(MainWindowTest, RightClickShowsNoContextMenu) {
  WaitForLoad();
  QWidget* target = View()->focusProxy();
  ASSERT_NE(target, nullptr);
  // A page that has just loaded may not take input yet: click until the page saw one.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QTest::mouseClick(target, Qt::RightButton, {}, QPoint(200, 200));
        return QTest::qWaitFor([&] { return View()->title() == QLatin1String("context menu asked"); }, 1000);
      },
      kLoadTimeoutMs));
  QApplication::processEvents();
  for (QWidget* widget : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<QMenu*>(widget), nullptr);
}

// A click on a link with a scheme no page handles starts nothing on the desktop.
TEST_F(MainWindowTest, AClickOnAnUnknownSchemeStartsNoProgram) {
  SchemeHandler handler;
  QDesktopServices::setUrlHandler(QStringLiteral("tarvextest"), &handler, "Open");
  WaitForLoad();
  View()->LoadAddress(m_server.Host() + "/mini/scheme");
  ASSERT_TRUE(QTest::qWaitFor([&] { return View()->title() == QLatin1String("scheme"); }, kLoadTimeoutMs));
  QWidget* target = View()->focusProxy();
  ASSERT_NE(target, nullptr);
  // The page marks the click a second later, well after the engine would have handed the
  // link to the desktop.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(200, 200));
        return QTest::qWaitFor([&] { return View()->title() == QLatin1String("clicked"); }, 3000);
      },
      kLoadTimeoutMs));
  QDesktopServices::unsetUrlHandler(QStringLiteral("tarvextest"));
  EXPECT_TRUE(handler.opened.isEmpty());
}

// A page's console output is a trace, not terminal output.
TEST_F(MainWindowTest, PageConsoleOutputGoesToTheTraces) {
  WaitForLoad();
  testing::TraceCapture traces;
  View()->page()->runJavaScript(QStringLiteral("console.log('hello from the page')"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return !traces.Lines().filter(QStringLiteral("hello from the page")).isEmpty(); }, kLoadTimeoutMs));
}

TEST_F(MainWindowTest, F12OpensOneDevToolsWindowAndStillReachesThePage) {
  WaitForLoad();
  QWidget* target = View()->focusProxy();
  ASSERT_NE(target, nullptr);
  target->setFocus();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QTest::keyClick(target, Qt::Key_F12);
        return QTest::qWaitFor([&] { return View()->title() == QLatin1String("F12 reached the page"); }, 1000);
      },
      kLoadTimeoutMs));
  ASSERT_EQ(DevToolsWindows().size(), 1);
  QWidget* tools = DevToolsWindows().constFirst();
  EXPECT_TRUE(tools->isWindow());

  QTest::keyClick(target, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
  QApplication::processEvents();
  EXPECT_EQ(DevToolsWindows().size(), 1);
  EXPECT_EQ(DevToolsWindows().constFirst(), tools);
}

TEST_F(MainWindowTest, F12InAGameBrowserOpensNothing) {
  QWidget host;
  host.resize(400, 300);
  auto client = std::make_shared<NimboGameSimleClient>(ClientContext{
      m_fakes.prompt, m_fakes.defaultBrowser, *m_window, m_fakes.windows, m_server.Host()});
  auto* view = qobject_cast<BrowserView*>(
      CreateBrowser(SharedRuntime(), &host, QRect(0, 30, 400, 270), client, m_server.Host() + "/mini/play/index"));
  host.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return (view->title()) == (QStringLiteral("index")); }, kLoadTimeoutMs));
  view->focusProxy()->setFocus();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QTest::keyClick(view->focusProxy(), Qt::Key_F12);
        return QTest::qWaitFor([&] { return view->title() == QLatin1String("F12 reached the page"); }, 1000);
      },
      kLoadTimeoutMs));
  EXPECT_TRUE(DevToolsWindows().isEmpty());
}

TEST_F(MainWindowTest, CloseQuestionNoKeepsEverythingYesEndsTheProgram) {
  QSignalSpy destroyed(m_window.get(), &CNimboClientDlg::destroyRequested);
  m_window->StartTimer1(3000);
  m_fakes.prompt.Script(Prompt::Answer::No);
  m_window->close();
  ASSERT_EQ(m_fakes.prompt.Questions().size(), 1);
  const auto& question = m_fakes.prompt.Questions().constFirst();
  EXPECT_EQ(question.text, QStringLiteral("이 작업은 게임을 닫습니다. 계속하시겠습니까??"));
  EXPECT_EQ(question.caption, QStringLiteral("따뜻한 힌트"));
  EXPECT_EQ(question.buttons, Prompt::Buttons::YesNo);
  EXPECT_FALSE(question.owned);
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_TRUE(m_window->Timer1().isActive());
  EXPECT_EQ(destroyed.count(), 0);

  m_fakes.prompt.Script(Prompt::Answer::Yes);
  m_window->close();
  EXPECT_EQ(destroyed.count(), 1);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_FALSE(m_window->Timer1().isActive());
}

TEST_F(MainWindowTest, Timer1StopsBeforeItsWorkAndReturnsToThePortalIndex) {
  WaitForLoad();
  // A window handing back shows the main window again, which asks half a second later.
  m_window->hide();
  m_window->HandBack();
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(m_window->Timer1().interval(), 500);
  EXPECT_TRUE(m_window->Timer1().isActive());
  m_window->StartTimer1(3000);
  m_window->StartTimer1(50);  // a running timer restarts with the new period
  EXPECT_EQ(m_window->Timer1().interval(), 50);
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(m_server.Requests().contains(QStringLiteral("/mini/index"))); }, kLoadTimeoutMs));
  EXPECT_FALSE(m_window->Timer1().isActive());
}

TEST_F(MainWindowTest, StripButtonsCloseMinimiseGoHomeAndClearThePortalCookies) {
  WaitForLoad();
  for (int id : {kMainCloseButtonId, kMainMinimizeButtonId, kMainHomeButtonId, kMainClearCacheButtonId})
    ASSERT_NE(FindControl(m_window.get(), id), nullptr) << id;

  // Home: the portal index, without a trailing slash.
  m_window->OnCommand(kMainHomeButtonId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.Requests().contains(QStringLiteral("/mini/index")); }, kLoadTimeoutMs));

  // Clear cache: the portal's cookies go, another site's stay, then the index loads again.
  QWebEngineCookieStore* store = SharedRuntime().Profile()->cookieStore();
  QNetworkCookie portal("session", "portal");
  portal.setDomain("127.0.0.1");
  portal.setPath("/");
  QNetworkCookie other("session", "other");
  other.setDomain(".other.test");
  other.setPath("/");
  QList<QByteArray> added;
  QList<QByteArray> removed;
  QObject::connect(store, &QWebEngineCookieStore::cookieAdded, m_window.get(),
                   [&](const QNetworkCookie& cookie) { added.append(cookie.value()); });
  QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, m_window.get(),
                   [&](const QNetworkCookie& cookie) { removed.append(cookie.value()); });
  store->setCookie(portal, QUrl("http://127.0.0.1/"));
  store->setCookie(other, QUrl("http://www.other.test/"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return added.contains("portal") && added.contains("other"); }, kLoadTimeoutMs));
  const qsizetype indexLoads = m_server.Requests().count(QStringLiteral("/mini/index"));
  m_window->OnCommand(kMainClearCacheButtonId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.Requests().count(QStringLiteral("/mini/index")) > indexLoads; },
                              kLoadTimeoutMs));
  EXPECT_TRUE(removed.contains("portal"));
  EXPECT_FALSE(removed.contains("other"));
  EXPECT_TRUE(m_fakes.prompt.Questions().isEmpty());

  m_window->OnCommand(kMainMinimizeButtonId);
  EXPECT_TRUE(m_window->isMinimized());

  m_fakes.prompt.Script(Prompt::Answer::No);
  qobject_cast<QAbstractButton*>(FindControl(m_window.get(), kMainCloseButtonId))->click();
  ASSERT_EQ(m_fakes.prompt.Questions().size(), 1);
  EXPECT_EQ(m_fakes.prompt.Questions().constFirst().caption, QStringLiteral("따뜻한 힌트"));
}

// One pay window at a time; one that has handed back is gone for the next opening even
// before it is deleted.
TEST_F(MainWindowTest, APayWindowIsOpenedOnceAndAClosedOneIsNeverShownAgain) {
  const QString address = QStringLiteral("http://") + m_server.Host() + QStringLiteral("/mini/index?pay=1");
  const auto shownPayWindows = [&] {
    QList<QWidget*> shown;
    for (QWidget* window : m_fakes.windows.Windows(WindowRegistry::Kind::Pay))
      if (window->isVisible()) shown.append(window);
    return shown;
  };
  m_window->OpenPayView(address, 600, 400, QStringLiteral("pay"));
  m_window->OpenPayView(address, 800, 600, QStringLiteral("other"));
  ASSERT_EQ(shownPayWindows().size(), 1);
  auto* first = qobject_cast<NimboPayView*>(shownPayWindows().constFirst());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->size(), QSize(600, 400));

  first->CloseAndReturn();
  m_window->OpenPayView(address, 800, 600, QStringLiteral("other"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_fakes.windows.Windows(WindowRegistry::Kind::Pay).size() == 1; },
                              kLoadTimeoutMs));
  ASSERT_EQ(shownPayWindows().size(), 1);
  EXPECT_EQ(shownPayWindows().constFirst()->size(), QSize(800, 600));
}

// Flag 1 shows the main window behind the game window, restored from the taskbar too.
TEST_F(MainWindowTest, AGameWindowWithFlagOneBringsBackTheMinimisedMainWindow) {
  m_window->showMinimized();
  ASSERT_TRUE(m_window->isMinimized());
  m_window->OpenGameView(QStringLiteral("http://") + m_server.Host() + QStringLiteral("/mini/play/index"), 1);
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_FALSE(m_window->isMinimized());
}

// The portal page behind a game window stops, and runs again as soon as it can be seen.
TEST_F(MainWindowTest, APageCoveredByAGameWindowIsFrozenUntilItCanBeSeenAgain) {
  WaitForLoad();
  View()->LoadAddress(m_server.Host() + "/mini/busy");
  ASSERT_TRUE(QTest::qWaitFor([&] { return View()->title().startsWith(QLatin1String("round")); }, kLoadTimeoutMs));
  QWebEnginePage* page = View()->page();

  m_window->OpenGameView(QStringLiteral("http://") + m_server.Host() + QStringLiteral("/play/game"), 1);
  ASSERT_EQ(m_fakes.windows.Windows(WindowRegistry::Kind::Game).size(), 1);
  auto* game = qobject_cast<NimboGameView*>(m_fakes.windows.Windows(WindowRegistry::Kind::Game).constFirst());
  ASSERT_NE(game, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(game));
  ASSERT_TRUE(game->geometry().contains(m_window->geometry()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return page->lifecycleState() == QWebEnginePage::LifecycleState::Frozen; },
                              kLoadTimeoutMs));
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_FALSE(View()->isVisible());

  // Minimised: the page is active before anything else happens, and its script runs.
  game->showMinimized();
  EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
  EXPECT_TRUE(View()->isVisible());
  QSignalSpy rounds(View(), &QWebEngineView::titleChanged);
  EXPECT_TRUE(rounds.wait(kLoadTimeoutMs));

  // Back from the taskbar it sleeps again.
  game->showNormal();
  EXPECT_TRUE(QTest::qWaitFor([&] { return page->lifecycleState() == QWebEnginePage::LifecycleState::Frozen; },
                              kLoadTimeoutMs));

  // Brought in front of the game window, the page stays awake while another window has the
  // focus (a panel, another program): the main window is still in front of the game window.
  m_window->raise();
  m_window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
  EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
  {
    QWidget other;
    other.setGeometry(0, 0, 200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(m_window->isActiveWindow());
    EXPECT_TRUE(View()->isVisible());
    EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
  }
  // The game window brought to the front again covers it once more.
  game->raise();
  game->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(game));
  EXPECT_TRUE(QTest::qWaitFor([&] { return page->lifecycleState() == QWebEnginePage::LifecycleState::Frozen; },
                              kLoadTimeoutMs));

  // Closed, it hands back to the portal index as before.
  const QPointer<NimboGameView> closing(game);
  m_fakes.prompt.Script(Prompt::Answer::Yes);
  game->close();
  EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);
  EXPECT_TRUE(View()->isVisible());
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(m_window->Timer1().interval(), 500);
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.Requests().contains(QStringLiteral("/mini/index")); }, kLoadTimeoutMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return View()->title() == QLatin1String("index"); }, kLoadTimeoutMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, kLoadTimeoutMs));
}

// A page the engine keeps running (here one still loading: an image that does not come)
// stays running behind a game window, and freezes once the engine no longer asks for that.
TEST_F(MainWindowTest, APageStillLoadingUnderAGameWindowFreezesOnlyOnceLoaded) {
  WaitForLoad();
  QTcpServer silent;  // takes the image's connection and never answers
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  QSignalSpy asked(&silent, &QTcpServer::newConnection);
  m_server.Serve("/mini/loading", QStringLiteral("<html><body><img src=\"http://127.0.0.1:%1/slow.png\"></body></html>")
                                      .arg(silent.serverPort())
                                      .toStdString());
  View()->LoadAddress(m_server.Host() + "/mini/loading");
  ASSERT_TRUE(asked.wait(kLoadTimeoutMs));

  m_window->OpenGameView(QStringLiteral("http://") + m_server.Host() + QStringLiteral("/play/game"), 1);
  // Hidden once the window system has the game window in front (a window manager tells a
  // moment after it is shown).
  EXPECT_TRUE(QTest::qWaitFor([&] { return !View()->isVisible(); }, kLoadTimeoutMs));
  QWebEnginePage* page = View()->page();
  EXPECT_EQ(page->lifecycleState(), QWebEnginePage::LifecycleState::Active);

  silent.close();
  while (QTcpSocket* connection = silent.nextPendingConnection()) connection->abort();
  EXPECT_TRUE(QTest::qWaitFor([&] { return page->lifecycleState() == QWebEnginePage::LifecycleState::Frozen; },
                              kLoadTimeoutMs));
}

TEST_F(MainWindowTest, InstanceMessageUnderAMessageBoxEndsOnlyAfterTheBoxReturns) {
  QSignalSpy destroyed(m_window.get(), &CNimboClientDlg::destroyRequested);
  QDialog box;
  bool insideTheBox = false;
  bool endedInsideTheBox = false;
  QObject::connect(m_window.get(), &CNimboClientDlg::destroyRequested, &box, [&] { endedInsideTheBox = insideTheBox; });
  QTimer::singleShot(0, &box, [&] { m_window->OnInstanceMessage(); });
  insideTheBox = true;
  box.exec();  // dismissed by the instance message
  insideTheBox = false;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (destroyed.count()) == (1); }, 5000));
  EXPECT_FALSE(endedInsideTheBox);
}

}  // namespace
}  // namespace tarvex

#include "nimbo_client_dlg_guitest.moc"
