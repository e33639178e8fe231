#pragma once

#include "browser/cookie_cleaner.h"
#include "support/fake_services.h"
#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/skin_resources.h"
#include "ui/views/main_window_link.h"
#include "ui/views/view_context.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tarvex::testing {

// Stands in for the main window: a real window, shown again by each hand-back.
class FakeMainWindow final : public MainWindowLink {
 public:
  QWidget* MainWidget() override { return &window; }
  void HandBack() override {
    window.show();
    ++handBacks;
  }

  QWidget window;
  int handBacks = 0;
};

// Holds each deletion until the test finishes it.
class HeldCookieCleaner final : public CookieCleaner {
 public:
  void DeleteAllCookies(std::function<void()> done) override {
    calls.append(QStringLiteral("all"));
    pending.push_back(std::move(done));
  }
  void DeleteHostCookies(const QString& host, std::function<void()> done) override {
    calls.append(QStringLiteral("host ") + host);
    pending.push_back(std::move(done));
  }
  void FinishAll() {
    auto due = std::move(pending);
    pending.clear();
    for (auto& done : due) done();
  }

  QStringList calls;
  std::vector<std::function<void()>> pending;
};

// Makes a plain widget where the browser would be and records what it was asked to load.
struct RecordingBrowsers {
  QStringList addresses;
  QList<QRect> rects;

  BrowserFactory Factory() {
    return [this](QWidget* parent, const QRect& rect, const std::shared_ptr<BrowserClient>&, const QString& address) {
      addresses.append(address);
      rects.append(rect);
      auto* widget = new QWidget(parent);
      widget->setGeometry(rect);
      widget->setAutoFillBackground(true);
      QPalette colours = widget->palette();
      colours.setColor(QPalette::Window, QColor(90, 96, 110));
      widget->setPalette(colours);
      return widget;
    };
  }
};

// The fakes a game or pay window is opened with.
struct ViewFakes {
  FakeServices services;
  RecordingViews views;
  FakeMainWindow main;
  HeldCookieCleaner cookies;
  RecordingBrowsers browsers;
  // The virtual X server has no tray; the windows are told there is one unless a test says not.
  bool trayAvailable = true;

  ViewContext Context() {
    return ViewContext{services.Get(), ClientContext{services.prompt, services.defaultBrowser, views, services.windows,
                                                     services.hosts.portal},
                       main, cookies, browsers.Factory(), [this] { return trayAvailable; }};
  }
};

inline QRect WorkArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

inline QRect Edges(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

inline bool HasBitmaps(QWidget* control, int normal, int selected) {
  auto* button = qobject_cast<SkinButton*>(control);
  return button && button->Pixmap(SkinButton::State::Normal).toImage() == LoadSkinPixmap(normal).toImage() &&
         button->Pixmap(SkinButton::State::Selected).toImage() == LoadSkinPixmap(selected).toImage() &&
         button->Pixmap(SkinButton::State::Focus).toImage() == LoadSkinPixmap(normal).toImage() &&
         button->Pixmap(SkinButton::State::Disabled).toImage() == LoadSkinPixmap(selected).toImage();
}

inline void Click(QWidget* window, int id) {
  QWidget* control = FindControl(window, id);
  ASSERT_NE(control, nullptr) << id;
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

// Saves `window` as NAME.png into $TARVEX_SCREENSHOT_DIR when that is set.
inline void SaveScreenshot(QWidget* window, const QString& name) {
  const QString folder = qEnvironmentVariable("TARVEX_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace tarvex::testing
