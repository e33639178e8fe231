// The pay window on a real window under the virtual X server, with a stand-in browser.
#include "ui/views/nimbo_pay_view.h"

#include "ui/chrome/control_ids.h"
#include "ui/chrome/title_label.h"
#include "ui/views/view_fixture.h"

#include <QPointer>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using testing::Click;
using testing::Edges;
using testing::HasBitmaps;
using testing::WorkArea;

class PayView : public ::testing::Test {
 protected:
  void TearDown() override { delete m_view.data(); }

  NimboPayView* Open(PayViewParams params) {
    m_view = new NimboPayView(m_fakes.Context(), std::move(params));
    m_view->OnInitDialog();
    m_view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.data()));
    return m_view.data();
  }
  QWidget* Control(int id) const { return m_view->Control(id); }
  QString State() const { return Control(kMaximizeButtonId)->property("text").toString(); }
  bool Returned() {
    return QTest::qWaitFor([this] { return m_view.isNull(); }, 5000) && m_fakes.main.window.isVisible() &&
           m_fakes.main.handBacks == 1;
  }

  testing::ViewFakes m_fakes;
  QPointer<NimboPayView> m_view;
};

TEST_F(PayView, OpensAtItsOwnSizeWithThreeButtonsLabelAndBrowser) {
  const struct {
    int width, height;
    QString label;
  } sizes[] = {{420, 560, QStringLiteral("会员登录")}, {800, 612, QStringLiteral("储值中心")}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.width);
    m_fakes.main.window.hide();
    Open(PayViewParams{QStringLiteral("127.0.0.1:8800/pay?order=1"), size.width, size.height, size.label});
    EXPECT_EQ(m_view->geometry(), QRect(0, 0, size.width, size.height));
    EXPECT_EQ(m_view->windowTitle(), QStringLiteral("Tarvex Center"));
    EXPECT_EQ(m_view->Label()->pos(), QPoint(10, 8));
    EXPECT_EQ(m_view->Label()->text(), size.label);
    const int w = size.width;
    EXPECT_EQ(Control(kCloseButtonId)->geometry(), Edges(w - 27, 5, w - 7, 25));
    EXPECT_EQ(Control(kMaximizeButtonId)->geometry(), Edges(w - 49, 5, w - 29, 25));
    EXPECT_EQ(Control(kMinimizeButtonId)->geometry(), Edges(w - 71, 5, w - 51, 25));
    EXPECT_TRUE(HasBitmaps(Control(kCloseButtonId), 146, 145));
    EXPECT_TRUE(HasBitmaps(Control(kMaximizeButtonId), 155, 154));
    EXPECT_TRUE(HasBitmaps(Control(kMinimizeButtonId), 153, 152));
    EXPECT_EQ(Control(kTrayButtonId), nullptr);
    EXPECT_EQ(State(), QStringLiteral("Max"));
    EXPECT_EQ(m_view->BrowserWidget()->geometry(), QRect(0, 30, size.width, size.height - 30));
    // Opening the pay window also shows the main window.
    EXPECT_TRUE(m_fakes.main.window.isVisible());
    testing::SaveScreenshot(m_view.data(), QStringLiteral("pay_window_%1x%2").arg(size.width).arg(size.height));
    delete m_view.data();
  }
  EXPECT_EQ(m_fakes.browsers.addresses, QStringList(2, QStringLiteral("127.0.0.1:8800/pay?order=1&v=2")));
}

TEST_F(PayView, DefaultsTo800By630AndAlwaysAppendsAmpersandV2) {
  PayViewParams params;
  params.url = QStringLiteral("127.0.0.1:8800/login");
  Open(params);
  EXPECT_EQ(m_view->size(), QSize(800, 630));
  EXPECT_EQ(m_fakes.browsers.addresses, QStringList{QStringLiteral("127.0.0.1:8800/login&v=2")});
}

TEST_F(PayView, LayoutPassMovesTheButtonsAndResizesTheBrowserWithoutAMarker) {
  Open(PayViewParams{QStringLiteral("p?x"), 420, 560, QString()});
  m_view->resize(420, 561);
  EXPECT_EQ(Control(kCloseButtonId)->geometry(), Edges(399, 1, 419, 21));
  EXPECT_EQ(Control(kMaximizeButtonId)->geometry(), Edges(377, 1, 397, 21));
  EXPECT_EQ(Control(kMinimizeButtonId)->geometry(), Edges(355, 1, 375, 21));
  EXPECT_EQ(Control(kMarkerButtonId), nullptr);
  EXPECT_EQ(m_view->BrowserWidget()->geometry(), QRect(0, 30, 420, 531));
}

TEST_F(PayView, MaximiseFromMaxThenBackToItsOwnSizeCentred) {
  Open(PayViewParams{QStringLiteral("p?x"), 420, 560, QString()});
  Click(m_view.data(), kMaximizeButtonId);
  EXPECT_EQ(State(), QStringLiteral("Restore"));
  const int bottom = WorkArea().y() + WorkArea().height();
  EXPECT_EQ(m_view->geometry(), QRect(0, 0, QGuiApplication::primaryScreen()->geometry().width(), bottom));
  EXPECT_EQ(Control(kCloseButtonId)->geometry().right() + 1, m_view->width() - 1);
  EXPECT_EQ(m_view->BrowserWidget()->height(), bottom - 30);

  m_fakes.main.window.hide();  // centred in the work area, not over a hidden main window
  Click(m_view.data(), kMaximizeButtonId);
  EXPECT_EQ(State(), QStringLiteral("Max"));
  QRect centred(QPoint(0, 0), QSize(420, 560));
  centred.moveCenter(WorkArea().center());
  EXPECT_EQ(m_view->geometry(), centred);
  EXPECT_EQ(Control(kCloseButtonId)->geometry(), Edges(399, 1, 419, 21));
}

TEST_F(PayView, CloseButtonAndSystemCloseBothHandBackWithoutAQuestion) {
  for (bool systemClose : {false, true}) {
    SCOPED_TRACE(systemClose);
    m_fakes.main.handBacks = 0;
    m_fakes.main.window.hide();
    Open(PayViewParams{QStringLiteral("p?x"), 420, 560, QString()});
    m_fakes.main.window.hide();
    if (systemClose)
      m_view->close();
    else
      Click(m_view.data(), kCloseButtonId);
    EXPECT_TRUE(Returned());
  }
  EXPECT_TRUE(m_fakes.services.prompt.Questions().isEmpty());
}

TEST_F(PayView, MinimiseButtonMinimises) {
  Open(PayViewParams{QStringLiteral("p?x"), 420, 560, QString()});
  Click(m_view.data(), kMinimizeButtonId);
  EXPECT_TRUE(QTest::qWaitFor([this] { return m_view->isMinimized(); }, 5000));
}

}  // namespace
}  // namespace tarvex
