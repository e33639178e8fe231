#pragma once

#include <QObject>

class QWebEngineView;
class QWidget;

namespace tarvex {

// Stops a browser's page while nobody can see it, and starts it again. Asleep, the
// browser's widget is hidden (the engine freezes no visible page) and its page is frozen:
// timers, scripts and animations stop, its memory stays. A page the engine recommends to
// keep running (one playing audio, with dev tools open, with a pop-up of its own, or still
// loading) stays active, and is frozen once the engine no longer asks for that.
// Lives as long as the browser (its child). GUI thread only.
class PageSleep final : public QObject {
  Q_OBJECT

 public:
  // `browser` is a browser made by CreateBrowser.
  explicit PageSleep(QWidget* browser);

  void Sleep();
  // Makes the page active first, then shows the widget: nothing is drawn or loaded in a
  // frozen page.
  void Wake();

 private:
  void FollowRecommendation();

  QWebEngineView* m_view;
  bool m_asleep = false;
};

}  // namespace tarvex
