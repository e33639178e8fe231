// The window chrome on real windows under the virtual X server.
#include "ui/chrome/control_ids.h"
#include "ui/chrome/control_lookup.h"
#include "ui/chrome/maximize_toggle.h"
#include "ui/chrome/skin_background.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/skin_resources.h"
#include "ui/chrome/title_label.h"
#include "ui/chrome/title_strip.h"
#include "ui/chrome/tray_icon.h"
#include "ui/chrome/window_dragger.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace tarvex {
namespace {

constexpr int kMissingBitmap = 9999;

QRect WorkArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

std::unique_ptr<QWidget> FramelessWindow(const QRect& geometry) {
  auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
  window->setGeometry(geometry);
  return window;
}

bool SameImage(const QPixmap& a, int bitmapId) {
  return !a.isNull() && a.toImage() == LoadSkinPixmap(bitmapId).toImage();
}

TEST(SkinResources, EveryResourceLoadsWithItsSize) {
  const struct {
    int id;
    QSize size;
  } bitmaps[] = {{143, {20, 20}}, {146, {20, 20}}, {155, {20, 20}}, {147, {38, 18}}, {163, {38, 18}},
                 {149, {16, 16}}, {175, {616, 228}}, {182, {15, 15}}, {188, {15, 15}},
                 {191, {1320, 820}}, {192, {58, 24}}, {195, {58, 24}}};
  for (const auto& bitmap : bitmaps) EXPECT_EQ(LoadSkinPixmap(bitmap.id).size(), bitmap.size) << bitmap.id;
  EXPECT_EQ(LoadPngResource(173).size(), QSize(38, 30));
  EXPECT_EQ(LoadPngResource(174).size(), QSize(27, 27));
  EXPECT_EQ(LoadPngResource(128).size(), QSize(128, 128));
  EXPECT_TRUE(LoadSkinPixmap(kMissingBitmap).isNull());
  EXPECT_TRUE(LoadPngResource(kMissingBitmap).isNull());
}

TEST(SkinResources, PrefetchedBitmapIsTheSameImageAndIsHandedOutOnce) {
  const QImage decodedNow = LoadSkinPixmap(175).toImage();
  PrefetchSkinBitmaps({175, 175, kMissingBitmap});  // asking twice decodes once
  EXPECT_EQ(LoadSkinPixmap(175).toImage(), decodedNow);
  EXPECT_EQ(LoadSkinPixmap(175).toImage(), decodedNow);  // after the prefetched copy is gone
  EXPECT_TRUE(LoadSkinPixmap(kMissingBitmap).isNull());
}

// --- skin button ----------------------------------------------------------------------

struct PickCase {
  const char* name;
  int selected, focus, disabled;  // bitmap ids; normal is always 146
  bool down, focused, enabled;
  SkinButton::State expected;
};

TEST(SkinButton, PicksSelectedThenFocusThenDisabledThenNormal) {
  const PickCase cases[] = {
      {"idle", 145, 146, 145, false, false, true, SkinButton::State::Normal},
      {"pressed", 145, 146, 145, true, true, true, SkinButton::State::Selected},
      {"pressed without selected", kMissingBitmap, 146, 145, true, true, true, SkinButton::State::Focus},
      {"pressed, nothing else", kMissingBitmap, kMissingBitmap, 145, true, false, true, SkinButton::State::Normal},
      {"focused", 145, 146, 145, false, true, true, SkinButton::State::Focus},
      {"focused without focus bitmap", 145, kMissingBitmap, 145, false, true, true, SkinButton::State::Normal},
      {"disabled", 145, 146, 145, false, false, false, SkinButton::State::Disabled},
      {"disabled without disabled bitmap", 145, 146, kMissingBitmap, false, false, false,
       SkinButton::State::Normal},
  };
  auto window = FramelessWindow(QRect(100, 100, 200, 100));
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  // No window manager under the virtual X server: make the window active directly.
  QApplication::setActiveWindow(window.get());
  for (const PickCase& c : cases) {
    SCOPED_TRACE(c.name);
    SkinButton button(20001, QRect(10, 10, 20, 20), window.get());
    button.LoadBitmaps(146, c.selected, c.focus, c.disabled);
    if (c.focused) {
      button.setFocus();
      ASSERT_TRUE(button.hasFocus());
    }
    button.setEnabled(c.enabled);
    button.setDown(c.down);
    EXPECT_EQ(button.PaintedState(), c.expected);
  }
}

TEST(SkinButton, WithoutTheNormalBitmapEveryStateStaysEmpty) {
  QWidget parent;
  SkinButton button(20001, QRect(0, 0, 20, 20), &parent);
  button.LoadBitmaps(146, 145, 146, 145);
  button.LoadBitmaps(kMissingBitmap, 145, 146, 145);
  for (auto state : {SkinButton::State::Normal, SkinButton::State::Selected, SkinButton::State::Focus,
                     SkinButton::State::Disabled})
    EXPECT_TRUE(button.Pixmap(state).isNull());
}

TEST(SkinButton, ReloadingDiscardsTheStatesThatAreNowMissing) {
  QWidget parent;
  SkinButton button(20001, QRect(0, 0, 20, 20), &parent);
  button.LoadBitmaps(146, 145, 146, 145);
  button.LoadBitmaps(155, kMissingBitmap, 155, 154);
  EXPECT_TRUE(SameImage(button.Pixmap(SkinButton::State::Normal), 155));
  EXPECT_TRUE(button.Pixmap(SkinButton::State::Selected).isNull());
  EXPECT_TRUE(SameImage(button.Pixmap(SkinButton::State::Disabled), 154));
}

TEST(SkinButton, PaintsItsBitmapUnscaledFromTheTopLeftCorner) {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette colours = parent.palette();
  colours.setColor(QPalette::Window, Qt::magenta);
  parent.setPalette(colours);
  parent.resize(60, 40);
  SkinButton button(20001, QRect(0, 0, 38, 30), &parent);  // larger than its 20 x 20 bitmap
  button.LoadBitmaps(146, 145, 146, 145);
  const QImage drawn = parent.grab().toImage();
  const QImage bitmap = LoadSkinPixmap(146).toImage();
  EXPECT_EQ(drawn.pixelColor(10, 10), bitmap.pixelColor(10, 10));
  EXPECT_EQ(drawn.pixelColor(19, 19), bitmap.pixelColor(19, 19));
  EXPECT_EQ(drawn.pixelColor(25, 25), QColor(Qt::magenta));  // outside the bitmap: not drawn
}

// --- dragging -------------------------------------------------------------------------

QPoint g_testWindowsLastPoint;

void Move(QWidget* window, QPoint local, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  QMouseEvent event(QEvent::MouseMove, local, window->mapToGlobal(local), Qt::NoButton, buttons, modifiers);
  QApplication::sendEvent(window, &event);
}

void Press(QWidget* window, QPoint local, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  QMouseEvent event(QEvent::MouseButtonPress, local, window->mapToGlobal(local), button, button, modifiers);
  QApplication::sendEvent(window, &event);
}

class Dragging : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = FramelessWindow(QRect(300, 200, 400, 300));
    new WindowDragger(m_window.get(), g_testWindowsLastPoint);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
  }
  std::unique_ptr<QWidget> m_window;
};

TEST_F(Dragging, TheLeftButtonAloneDragsAndKeepsTheGrabPoint) {
  EXPECT_TRUE(m_window->hasMouseTracking());
  Move(m_window.get(), QPoint(50, 10), Qt::NoButton, Qt::NoModifier);
  Press(m_window.get(), QPoint(50, 10), Qt::LeftButton, Qt::NoModifier);
  Move(m_window.get(), QPoint(60, 25), Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(m_window->pos(), QPoint(310, 215));
  // The window followed the cursor, so the grab point is still (50, 10).
  Move(m_window.get(), QPoint(45, 12), Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(m_window->pos(), QPoint(305, 217));
  // Back at the grab point: nothing to move.
  Move(m_window.get(), QPoint(50, 10), Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(m_window->pos(), QPoint(305, 217));
}

TEST_F(Dragging, AnythingButExactlyTheLeftButtonOnlyUpdatesThePoint) {
  const struct {
    const char* name;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
  } cases[] = {
      {"no button", Qt::NoButton, Qt::NoModifier},
      {"left with ctrl", Qt::LeftButton, Qt::ControlModifier},
      {"left with shift", Qt::LeftButton, Qt::ShiftModifier},
      {"right", Qt::RightButton, Qt::NoModifier},
      {"left and right", Qt::LeftButton | Qt::RightButton, Qt::NoModifier},
      {"middle", Qt::MiddleButton, Qt::NoModifier},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Move(m_window.get(), QPoint(20, 20), Qt::NoButton, Qt::NoModifier);
    Move(m_window.get(), QPoint(70, 40), c.buttons, c.modifiers);
    EXPECT_EQ(m_window->pos(), QPoint(300, 200));
    // The point moved along: a plain left drag now starts from (70, 40).
    Move(m_window.get(), QPoint(72, 41), Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(m_window->pos(), QPoint(302, 201));
    m_window->move(300, 200);
  }
}

TEST_F(Dragging, ThePressPointIsTheGrabPointAndTheTitleLabelPassesClicksOn) {
  auto* label = new TitleLabel(m_window.get());
  label->move(31, 10);
  label->show();
  // The last point is stale (another window of the class moved the cursor elsewhere).
  g_testWindowsLastPoint = QPoint(390, 290);
  QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  Move(m_window.get(), QPoint(40, 18), Qt::LeftButton, Qt::NoModifier);
  EXPECT_EQ(m_window->pos(), QPoint(304, 203));
  QTest::mouseRelease(m_window.get(), Qt::LeftButton, Qt::NoModifier, QPoint(36, 15));
}

TEST_F(Dragging, ClicksOnButtonsStayWithTheButtons) {
  auto* button = new SkinButton(20001, QRect(100, 5, 20, 20), m_window.get());
  int clicks = 0;
  QObject::connect(button, &SkinButton::clicked, [&clicks] { ++clicks; });
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(m_window->pos(), QPoint(300, 200));
}

// --- title strip, label, background ---------------------------------------------------

TEST(TitleStrip, StretchesToTheWorkAreaWidthPlusFiftyAndThirtyHigh) {
  const QColor sentinel(1, 2, 3);
  for (bool withLogo : {false, true}) {
    QImage canvas(2000, 40, QImage::Format_RGB32);
    canvas.fill(sentinel);
    {
      QPainter painter(&canvas);
      TitleStrip(withLogo).Paint(painter, 1920);
    }
    EXPECT_NE(canvas.pixelColor(0, 0), sentinel);
    EXPECT_NE(canvas.pixelColor(1969, 29), sentinel);
    EXPECT_EQ(canvas.pixelColor(1970, 15), sentinel);
    EXPECT_EQ(canvas.pixelColor(100, 30), sentinel);
    // The logo is a gold disc at (5, 3), 25 x 25.
    const QColor gold = canvas.pixelColor(9, 14);
    EXPECT_EQ(gold.red() > 200 && gold.green() > 150 && gold.blue() < 100, withLogo);
  }
}

TEST(TitleLabel, IsTheGoldClickThroughControlMinusOne) {
  QWidget window;
  auto* label = new TitleLabel(&window);
  auto* other = new QWidget(&window);
  EXPECT_EQ(FindControl(&window, kTitleLabelId), label);
  EXPECT_EQ(label->text(), QStringLiteral("Static"));
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 215, 0));
  EXPECT_NE(other->palette().color(QPalette::WindowText), QColor(255, 215, 0));
  EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_FALSE(label->autoFillBackground());
}

TEST(SkinBackground, TilesTheBitmapFromTheTopLeftCorner) {
  QWidget window;
  window.resize(700, 300);  // wider and taller than bitmap 175 (616 x 228)
  ApplySkinBackground(&window, kLoadBackgroundBitmapId);
  const QImage drawn = window.grab().toImage();
  const QImage bitmap = LoadSkinPixmap(kLoadBackgroundBitmapId).toImage();
  for (QPoint p : {QPoint(20, 20), QPoint(300, 100), QPoint(615, 227)}) EXPECT_EQ(drawn.pixelColor(p), bitmap.pixelColor(p));
  EXPECT_EQ(drawn.pixelColor(616 + 20, 228 + 20), bitmap.pixelColor(20, 20));
  EXPECT_EQ(drawn.pixelColor(650, 100), bitmap.pixelColor(650 - 616, 100));

  QWidget main;
  main.resize(1320, 820);
  ApplySkinBackground(&main, kMainBackgroundBitmapId);
  EXPECT_EQ(main.grab().toImage().pixelColor(700, 500), QColor(38, 38, 48));
}

// --- maximise / restore -----------------------------------------------------------------

class MaximizeToggle : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = FramelessWindow(WorkArea());
    m_button = new SkinButton(kMaximizeButtonId, QRect(10, 5, 20, 20), m_window.get());
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
  }
  void Toggle(QWidget* owner = nullptr) {
    ToggleMaximize(m_window.get(), m_button->text(), QSize(1000, 700), owner);
  }
  QRect Centred(QSize size) const {
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(WorkArea().center());
    return rect;
  }
  QRect Maximised() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return QRect(0, 0, screen->geometry().width(), WorkArea().y() + WorkArea().height());
  }

  std::unique_ptr<QWidget> m_window;
  SkinButton* m_button = nullptr;
};

TEST_F(MaximizeToggle, FromEmptyRestoresCentredThenMaximises) {
  ASSERT_EQ(FindControl(m_window.get(), kMarkerButtonId), nullptr);
  Toggle();
  EXPECT_EQ(m_button->text(), QStringLiteral("Max"));
  EXPECT_EQ(m_window->geometry(), Centred(QSize(1000, 700)));
  EXPECT_TRUE(SameImage(m_button->Pixmap(SkinButton::State::Normal), 155));
  EXPECT_TRUE(SameImage(m_button->Pixmap(SkinButton::State::Selected), 154));
  QWidget* marker = FindControl(m_window.get(), kMarkerButtonId);
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->geometry(), QRect(0, 0, 0, 0));
  EXPECT_TRUE(SameImage(static_cast<SkinButton*>(marker)->Pixmap(SkinButton::State::Normal), 149));

  Toggle();
  EXPECT_EQ(m_button->text(), QStringLiteral("Restore"));
  EXPECT_EQ(m_window->geometry(), Maximised());
  EXPECT_TRUE(SameImage(m_button->Pixmap(SkinButton::State::Normal), 151));
  EXPECT_TRUE(SameImage(m_button->Pixmap(SkinButton::State::Focus), 151));
  EXPECT_TRUE(SameImage(m_button->Pixmap(SkinButton::State::Disabled), 150));
  EXPECT_EQ(m_window->findChildren<SkinButton*>().size(), 2);  // one marker only
}

TEST_F(MaximizeToggle, FromMaxMaximisesAndTwiceReturnsCentredWithoutMemory) {
  m_button->setText(QStringLiteral("Max"));
  m_window->setGeometry(QRect(5, 5, 1000, 700));
  Toggle();
  EXPECT_EQ(m_button->text(), QStringLiteral("Restore"));
  EXPECT_EQ(m_window->geometry(), Maximised());
  Toggle();
  EXPECT_EQ(m_button->text(), QStringLiteral("Max"));
  EXPECT_EQ(m_window->geometry(), Centred(QSize(1000, 700)));  // not back at (5, 5)
}

TEST_F(MaximizeToggle, AnyOtherTextCountsAsMaximised) {
  m_button->setText(QStringLiteral("max"));
  Toggle();
  EXPECT_EQ(m_button->text(), QStringLiteral("Max"));
}

TEST_F(MaximizeToggle, RestoreCentresOverAVisibleOwnerInsideTheWorkArea) {
  auto owner = FramelessWindow(QRect(500, 300, 600, 400));
  Toggle(owner.get());  // hidden owner: the work area
  EXPECT_EQ(m_window->geometry(), Centred(QSize(1000, 700)));
  owner->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(owner.get()));
  m_button->setText(QStringLiteral("Restore"));
  ToggleMaximize(m_window.get(), m_button->text(), QSize(200, 100), owner.get());
  EXPECT_EQ(m_window->geometry(), QRect(700, 450, 200, 100));
  // Centred over an owner in the corner it would stick out: it stays inside the work area.
  owner->move(WorkArea().topLeft());
  m_button->setText(QStringLiteral("Restore"));
  Toggle(owner.get());
  EXPECT_EQ(m_window->pos(), WorkArea().topLeft());
}

// --- tray icon --------------------------------------------------------------------------

class Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = FramelessWindow(QRect(100, 100, 300, 200));
    m_tray = new TrayIcon(m_window.get(), [this] { return m_trayAvailable; });
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    m_flags = m_window->windowFlags();
  }
  QAction* ShowItem() const {
    const auto actions = m_tray->Icon()->contextMenu()->actions();
    return actions.size() == 1 ? actions.front() : nullptr;
  }
  std::unique_ptr<QWidget> m_window;
  TrayIcon* m_tray = nullptr;
  bool m_trayAvailable = true;  // the virtual X server has none; the icon is told otherwise
  Qt::WindowFlags m_flags;
};

TEST_F(Tray, AddShowsTheIconWithItsTipAndMenuAndHidesTheWindow) {
  m_tray->Add();
  ASSERT_NE(m_tray->Icon(), nullptr);
  EXPECT_FALSE(m_window->isVisible());
  EXPECT_TRUE(m_tray->Icon()->isVisible());
  EXPECT_EQ(m_tray->Icon()->toolTip(), QStringLiteral("DAvadu"));
  EXPECT_FALSE(m_tray->Icon()->icon().isNull());
  ASSERT_NE(ShowItem(), nullptr);
  EXPECT_EQ(ShowItem()->text(), QStringLiteral("显示"));
  EXPECT_EQ(ShowItem()->data().toInt(), kTrayShowCommandId);
  m_tray->Remove();
  EXPECT_EQ(m_tray->Icon(), nullptr);
}

// StatusNotifier hosts report every click as Trigger, classic trays a double-click as
// DoubleClick: both restore. The context menu and a middle click do not.
TEST_F(Tray, ClickAndDoubleClickRestoreAndRemoveTheIconOtherActivationsDoNot) {
  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}) {
    SCOPED_TRACE(reason);
    m_tray->Add();
    QSystemTrayIcon* icon = m_tray->Icon();
    emit icon->activated(QSystemTrayIcon::Context);
    emit icon->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_tray->Icon(), icon);
    emit icon->activated(reason);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_tray->Icon(), nullptr);
    EXPECT_EQ(m_window->windowFlags(), m_flags);
  }
}

// Without a tray the window would vanish with no icon to bring it back: it is minimised.
TEST_F(Tray, WithoutATrayTheWindowIsMinimisedInstead) {
  m_trayAvailable = false;
  m_tray->Add();
  EXPECT_EQ(m_tray->Icon(), nullptr);
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([this] { return m_window->isMinimized(); }, 5000));
}

TEST_F(Tray, TheMenuItemRestoresExactlyLikeTheDoubleClick) {
  m_tray->Add();
  ShowItem()->trigger();
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(m_tray->Icon(), nullptr);
  // Unchanged flags: still a frameless top-level with its own taskbar entry.
  EXPECT_EQ(m_window->windowFlags(), m_flags);
  // And it can go to the tray again.
  m_tray->Add();
  EXPECT_FALSE(m_window->isVisible());
  ASSERT_NE(m_tray->Icon(), nullptr);
}

}  // namespace
}  // namespace tarvex
