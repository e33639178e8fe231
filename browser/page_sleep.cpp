#include "browser/page_sleep.h"

#include <QWebEnginePage>
#include <QWebEngineView>

namespace tarvex {

using LifecycleState = QWebEnginePage::LifecycleState;

PageSleep::PageSleep(QWidget* browser) : QObject(browser), m_view(qobject_cast<QWebEngineView*>(browser)) {
  Q_ASSERT_X(m_view, "PageSleep", "a browser made by CreateBrowser");
  connect(m_view->page(), &QWebEnginePage::recommendedStateChanged, this, &PageSleep::FollowRecommendation);
}

void PageSleep::Sleep() {
  if (m_asleep) return;
  m_asleep = true;
  // Hidden first: the engine refuses to freeze a page that is shown.
  m_view->hide();
  FollowRecommendation();
}

void PageSleep::Wake() {
  if (!m_asleep) return;
  m_asleep = false;
  m_view->page()->setLifecycleState(LifecycleState::Active);
  m_view->show();
}

void PageSleep::FollowRecommendation() {
  if (!m_asleep) return;
  QWebEnginePage* page = m_view->page();
  // Frozen is as far as this goes: a discarded page would reload when it wakes.
  const bool keepActive = page->recommendedState() == LifecycleState::Active;
  page->setLifecycleState(keepActive ? LifecycleState::Active : LifecycleState::Frozen);
}

}  // namespace tarvex
