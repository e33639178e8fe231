// The game window on a real window under the virtual X server, with a stand-in browser
// (and once with the real one).
#include "ui/views/nimbo_game_view.h"

#include "browser/browser_client.h"
#include "browser/browser_runtime.h"
#include "browser/profile_cookie_cleaner.h"
#include "support/page_server.h"
#include "support/shared_runtime.h"
#include "ui/chrome/control_ids.h"
#include "ui/chrome/strip_layout.h"
#include "ui/chrome/title_label.h"
#include "ui/chrome/tray_icon.h"
#include "ui/views/view_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using testing::Click;
using testing::Edges;
using testing::HasBitmaps;
using testing::SharedRuntime;
using testing::WorkArea;

constexpr int kLoadTimeoutMs = 20000;

GameViewParams Params(int openFlag = 0) {
  return GameViewParams{QStringLiteral("http://127.0.0.1:8800/play/index.html?game=7"), openFlag,
                        QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("星际战纪"),
                        QStringLiteral("tarvexfans")};
}

class GameView : public ::testing::Test {
 protected:
  void TearDown() override { delete m_view.data(); }

  NimboGameView* Open(GameViewParams params = Params()) {
    m_view = new NimboGameView(m_fakes.Context(), std::move(params));
    m_view->OnInitDialog();
    m_view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.data()));
    return m_view.data();
  }
  QWidget* Control(int id) const { return m_view->Control(id); }
  int Right() const { return WorkArea().x() + WorkArea().width(); }
  bool Returned() {
    return QTest::qWaitFor([this] { return m_view.isNull(); }, 5000) && m_fakes.main.window.isVisible() &&
           m_fakes.main.handBacks == 1;
  }

  testing::ViewFakes m_fakes;
  QPointer<NimboGameView> m_view;
};

TEST_F(GameView, CoversTheWorkAreaWithTitleLabelButtonsAndBrowser) {
  Open();
  EXPECT_EQ(m_view->geometry(), WorkArea());
  EXPECT_EQ(m_view->windowTitle(), QStringLiteral("Tarvex游戏"));
  EXPECT_TRUE(m_view->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(m_view->Label()->pos(), QPoint(31, 10));
  EXPECT_EQ(m_view->Label()->text(), QStringLiteral("Tarvex-[星际战纪] 3服  V5.50.32"));

  const int r = Right();
  const struct {
    int id;
    QRect rect;
    int normal, selected;
    const char* name;  // for screen readers, with the English description
    const char* english;
  } buttons[] = {
      {20001, Edges(r - 27, 5, r - 7, 25), 146, 145, "닫기", "Close"},
      {20002, Edges(r - 49, 5, r - 29, 25), 151, 150, "최대화", "Maximise"},
      {20003, Edges(r - 71, 5, r - 51, 25), 153, 152, "최소화", "Minimise"},
      {20004, Edges(r - 93, 5, r - 73, 25), 144, 143, "트레이", "Tray"},
      {20005, Edges(r - 168, 6, r - 130, 24), 162, 163, "새로 고침", "Reload"},
      {20006, Edges(r - 208, 6, r - 170, 24), 147, 148, "쿠키 삭제", "Clear cookies"},
      {20007, Edges(r - 248, 6, r - 210, 24), 160, 161, "고객 센터", "Customer service"},
      {20008, Edges(r - 288, 6, r - 250, 24), 156, 157, "팬 페이지", "Fan page"},
      {20009, Edges(r - 328, 6, r - 290, 24), 158, 159, "충전", "Recharge"},
  };
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.id);
    ASSERT_NE(Control(button.id), nullptr);
    EXPECT_EQ(Control(button.id)->geometry(), button.rect);
    EXPECT_TRUE(Control(button.id)->isVisible());
    EXPECT_TRUE(HasBitmaps(Control(button.id), button.normal, button.selected));
    EXPECT_EQ(Control(button.id)->accessibleName(), QString::fromUtf8(button.name));
    EXPECT_EQ(Control(button.id)->accessibleDescription(), QLatin1String(button.english));
  }
  EXPECT_EQ(Control(kMarkerButtonId), nullptr);
  EXPECT_TRUE(Control(kMaximizeButtonId)->property("text").toString().isEmpty());

  // The browser gets the suffixed address; the window keeps the address as handed over.
  EXPECT_EQ(m_fakes.browsers.addresses, QStringList{Params().url + QStringLiteral("&v=2")});
  EXPECT_EQ(m_view->Url(), Params().url);
  EXPECT_EQ(m_view->BrowserWidget()->geometry(), QRect(0, 30, WorkArea().width(), WorkArea().height() - 30));
  testing::SaveScreenshot(m_view.data(), QStringLiteral("game_window"));
}

TEST_F(GameView, LayoutPassStopsAtTheMissingMarkerUntilMaximiseRestoreCreatesIt) {
  Open();
  const QRect browserAtStart = m_view->BrowserWidget()->geometry();
  m_view->resize(1200, 800);
  for (int slot = 0; slot < 9; ++slot) {
    QWidget* button = Control(kCloseButtonId + slot);
    EXPECT_EQ(button->geometry(), StripButtonLayoutRect(slot, button->size(), 1200)) << slot;
  }
  EXPECT_EQ(Control(kCloseButtonId)->geometry(), Edges(1179, 1, 1199, 21));
  EXPECT_EQ(m_view->BrowserWidget()->geometry(), browserAtStart);

  // The first click restores (an empty state counts as maximised) and makes the marker.
  Click(m_view.data(), kMaximizeButtonId);
  EXPECT_EQ(m_view->size(), QSize(1000, 700));
  EXPECT_EQ(Control(kMaximizeButtonId)->property("text").toString(), QStringLiteral("Max"));
  ASSERT_NE(Control(kMarkerButtonId), nullptr);
  EXPECT_EQ(Control(kMarkerButtonId)->geometry(), QRect(1000, 0, 0, 0));
  EXPECT_EQ(Control(kCloseButtonId)->geometry(), Edges(979, 1, 999, 21));
  EXPECT_EQ(Control(kRechargeButtonId)->geometry(), Edges(672, 5, 710, 23));
  EXPECT_EQ(m_view->BrowserWidget()->geometry(), QRect(0, 30, 1000, 670));

  Click(m_view.data(), kMaximizeButtonId);
  EXPECT_EQ(Control(kMaximizeButtonId)->property("text").toString(), QStringLiteral("Restore"));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const int bottom = WorkArea().y() + WorkArea().height();
  EXPECT_EQ(m_view->geometry(), QRect(0, 0, screen.width(), bottom));
  EXPECT_EQ(m_view->BrowserWidget()->geometry(), QRect(0, 30, screen.width(), bottom - 30));
}

TEST_F(GameView, OpenFlagOneHidesTheCloseButtonUntilTimerOneFires) {
  Open(Params(1));
  QWidget* close = Control(kCloseButtonId);
  EXPECT_FALSE(close->isVisible());
  QTimer& timer = m_view->CloseButtonTimer();
  EXPECT_TRUE(timer.isActive());
  EXPECT_TRUE(timer.isSingleShot());
  EXPECT_EQ(timer.interval(), 60000);

  // Meanwhile a system close request is still answered with the question.
  m_fakes.services.prompt.Script(Prompt::Answer::No);
  m_view->close();
  ASSERT_EQ(m_fakes.services.prompt.Questions().size(), 1);
  EXPECT_TRUE(m_view->isVisible());

  timer.start(0);  // let the minute pass
  ASSERT_TRUE(QTest::qWaitFor([close] { return close->isVisible(); }, 5000));
  EXPECT_FALSE(timer.isActive());
}

TEST_F(GameView, AnyOtherOpenFlagShowsTheCloseButtonAtOnce) {
  Open(Params(2));
  EXPECT_TRUE(Control(kCloseButtonId)->isVisible());
  EXPECT_FALSE(m_view->CloseButtonTimer().isActive());
}

TEST_F(GameView, PageButtonsOpenTheirAddressesInTheUsersBrowser) {
  const struct {
    int id;
    QString fanPage;
    QString address;
  } cases[] = {
      {kServiceButtonId, QStringLiteral("tarvexfans"), QStringLiteral("https://127.0.0.1:8800/service/online")},
      {kFanPageButtonId, QStringLiteral("tarvexfans"), QStringLiteral("https://social.test/tarvexfans/")},
      {kFanPageButtonId, QString(), QStringLiteral("https://social.test//")},
      {kRechargeButtonId, QStringLiteral("tarvexfans"),
       QStringLiteral("http://127.0.0.1:8800/payment/esafe_webatm?game_id=7&server_id=3")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    GameViewParams params = Params();
    params.fanPage = c.fanPage;
    Open(params);
    Click(m_view.data(), c.id);
    ASSERT_FALSE(m_fakes.services.defaultBrowser.Opened().isEmpty());
    EXPECT_EQ(m_fakes.services.defaultBrowser.Opened().last(), c.address);
    EXPECT_TRUE(m_view->isVisible());
    delete m_view.data();
  }
  EXPECT_EQ(m_fakes.services.defaultBrowser.Opened().size(), 4);
}

TEST_F(GameView, ClearingCookiesAsksAndNoChangesNothing) {
  Open();
  m_fakes.services.prompt.Script(Prompt::Answer::No);
  Click(m_view.data(), kClearCookiesButtonId);
  ASSERT_EQ(m_fakes.services.prompt.Questions().size(), 1);
  const auto& question = m_fakes.services.prompt.Questions().front();
  EXPECT_EQ(question.text, QStringLiteral("即將清理緩存，是否繼續?"));
  EXPECT_EQ(question.caption, QStringLiteral("溫馨提示"));
  EXPECT_EQ(question.buttons, Prompt::Buttons::YesNo);
  EXPECT_EQ(question.icon, Prompt::Icon::Information);
  EXPECT_TRUE(question.owned);
  EXPECT_TRUE(m_fakes.cookies.calls.isEmpty());
  EXPECT_TRUE(m_view->isVisible());
  EXPECT_EQ(m_fakes.main.handBacks, 0);
}

TEST_F(GameView, ClearingCookiesYesDeletesEveryCookieAndHandsBackOnlyWhenDone) {
  Open();
  m_fakes.services.prompt.Script(Prompt::Answer::Yes);
  Click(m_view.data(), kClearCookiesButtonId);
  EXPECT_EQ(m_fakes.cookies.calls, QStringList{QStringLiteral("all")});
  // Still waiting for the store: nothing handed back yet.
  QCoreApplication::processEvents();
  EXPECT_FALSE(m_view.isNull());
  EXPECT_EQ(m_fakes.main.handBacks, 0);
  m_fakes.cookies.FinishAll();
  EXPECT_TRUE(Returned());
}

TEST_F(GameView, CloseButtonHandsBackOnceAndTheSystemCloseAsksFirst) {
  Open();
  m_fakes.main.window.hide();
  Click(m_view.data(), kCloseButtonId);
  EXPECT_TRUE(m_fakes.services.prompt.Questions().isEmpty());
  EXPECT_TRUE(Returned());

  Open();
  m_fakes.main.handBacks = 0;
  m_fakes.services.prompt.Script(Prompt::Answer::No);
  m_view->close();
  EXPECT_TRUE(m_view->isVisible());
  EXPECT_EQ(m_fakes.main.handBacks, 0);
  m_fakes.services.prompt.Script(Prompt::Answer::Yes);
  m_view->close();
  ASSERT_EQ(m_fakes.services.prompt.Questions().size(), 2);
  const auto& question = m_fakes.services.prompt.Questions().back();
  EXPECT_EQ(question.text, QStringLiteral("이 작업은 게임을 닫습니다. 계속하시겠습니까??"));
  EXPECT_EQ(question.caption, QStringLiteral("따뜻한 힌트"));
  EXPECT_FALSE(question.owned);
  EXPECT_TRUE(Returned());
}

// A question runs an event loop of its own. A window handed back and destroyed meanwhile
// (its cookie deletion finishing, say) is left alone when the answer comes: no second
// hand-back, no cookie deletion.
TEST_F(GameView, AWindowDestroyedUnderItsQuestionIsLeftAlone) {
  const auto gone = [this] { ASSERT_TRUE(QTest::qWaitFor([this] { return m_view.isNull(); }, 5000)); };

  // The close question, while the cookie deletion asked for before runs.
  Open();
  m_fakes.services.prompt.Script(Prompt::Answer::Yes);
  Click(m_view.data(), kClearCookiesButtonId);
  m_fakes.services.prompt.Script(Prompt::Answer::Yes);
  m_fakes.services.prompt.WhileNextQuestionIsOpen([&] {
    m_fakes.cookies.FinishAll();
    gone();
  });
  m_view->close();
  EXPECT_TRUE(m_view.isNull());
  EXPECT_EQ(m_fakes.main.handBacks, 1);

  // The cookie question.
  m_fakes.main.handBacks = 0;
  m_fakes.cookies.calls.clear();
  Open();
  m_fakes.services.prompt.Script(Prompt::Answer::Yes);
  m_fakes.services.prompt.WhileNextQuestionIsOpen([&] {
    m_view->CloseAndReturn();
    gone();
  });
  qobject_cast<QAbstractButton*>(Control(kClearCookiesButtonId))->click();
  EXPECT_TRUE(m_view.isNull());
  EXPECT_TRUE(m_fakes.cookies.calls.isEmpty());
  EXPECT_EQ(m_fakes.main.handBacks, 1);
}

TEST_F(GameView, TrayButtonHidesTheWindowAndBothRestorePathsBringItBack) {
  Open();
  Click(m_view.data(), kTrayButtonId);
  EXPECT_FALSE(m_view->isVisible());
  ASSERT_NE(m_view->Tray().Icon(), nullptr);
  emit m_view->Tray().Icon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(m_view->isVisible());
  EXPECT_EQ(m_view->Tray().Icon(), nullptr);

  const Qt::WindowFlags flags = m_view->windowFlags();
  Click(m_view.data(), kTrayButtonId);
  ASSERT_NE(m_view->Tray().Icon(), nullptr);
  m_view->Tray().Icon()->contextMenu()->actions().front()->trigger();
  EXPECT_TRUE(m_view->isVisible());
  EXPECT_EQ(m_view->windowFlags(), flags);
  EXPECT_EQ(m_view->Tray().Icon(), nullptr);
}

TEST_F(GameView, ReloadWithoutABrowserAndEnterOrEscapeDoNothing) {
  Open();
  Click(m_view.data(), kReloadButtonId);
  QWidget* button = Control(kReloadButtonId);
  QApplication::setActiveWindow(m_view.data());
  button->setFocus();
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(button, key);
  QTest::keyClick(m_view.data(), Qt::Key_Escape);
  EXPECT_TRUE(m_view->isVisible());
  EXPECT_TRUE(m_fakes.services.prompt.Questions().isEmpty());
  EXPECT_EQ(m_fakes.main.handBacks, 0);
}

TEST_F(GameView, MinimiseButtonMinimises) {
  Open();
  Click(m_view.data(), kMinimizeButtonId);
  EXPECT_TRUE(QTest::qWaitFor([this] { return m_view->isMinimized(); }, 5000));
}

// The real browser: the address the page server receives, and reload.
TEST_F(GameView, TheRealBrowserLoadsTheSuffixedAddressAndReloads) {
  testing::PageServer server;
  server.Serve("/play/index.html", "<html><body>game</body></html>");
  SharedRuntime().Initialize(RuntimeSettings{}, NimboCefRender{});
  ViewContext context = m_fakes.Context();
  context.createBrowser = RuntimeBrowserFactory(SharedRuntime());
  GameViewParams params = Params();
  params.url = QStringLiteral("http://") + server.Host() + QStringLiteral("/play/index.html?game=7");
  m_view = new NimboGameView(context, params);
  m_view->OnInitDialog();
  m_view->show();
  const QString expected = QStringLiteral("/play/index.html?game=7&v=2");
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Requests().count(expected) == 1; }, kLoadTimeoutMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_view->Client()->HasBrowser(); }, kLoadTimeoutMs));
  EXPECT_EQ(m_view->BrowserWidget()->geometry(), QRect(0, 30, WorkArea().width(), WorkArea().height() - 30));
  Click(m_view.data(), kReloadButtonId);
  EXPECT_TRUE(QTest::qWaitFor([&] { return server.Requests().count(expected) == 2; }, kLoadTimeoutMs));
}

}  // namespace
}  // namespace tarvex
