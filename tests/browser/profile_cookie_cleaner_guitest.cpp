// Cookie deletion against the real engine's cookie store.
#include "browser/browser_runtime.h"
#include "browser/profile_cookie_cleaner.h"
#include "support/shared_runtime.h"

#include <QNetworkCookie>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <gtest/gtest.h>

#include <chrono>

namespace tarvex {
namespace {

using namespace std::chrono_literals;
using testing::SharedRuntime;

constexpr int kEngineTimeoutMs = 20000;

QNetworkCookie Cookie(const char* name, const char* domain = "") {
  QNetworkCookie cookie(name, "v");
  cookie.setDomain(QString::fromLatin1(domain));
  cookie.setPath(QStringLiteral("/"));
  return cookie;
}

bool Holds(const QList<QNetworkCookie>& cookies, const char* name) {
  return std::any_of(cookies.begin(), cookies.end(),
                     [name](const QNetworkCookie& c) { return c.name() == name; });
}

class ProfileCookieCleanerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SharedRuntime().Initialize(RuntimeSettings{}, NimboCefRender{});
    // The store answers once the profile's network side runs, which a first page starts.
    m_page = std::make_unique<QWebEnginePage>(SharedRuntime().Profile());
    QSignalSpy loaded(m_page.get(), &QWebEnginePage::loadFinished);
    m_page->setHtml(QStringLiteral("<p>cookies</p>"));
    ASSERT_TRUE(loaded.wait(kEngineTimeoutMs));
    m_store = SharedRuntime().Profile()->cookieStore();
    m_store->deleteAllCookies();
    m_cleaner = std::make_unique<ProfileCookieCleaner>(SharedRuntime().Profile(), 60s);
  }

  void Set(const QNetworkCookie& cookie, const char* origin) {
    m_store->setCookie(cookie, QUrl(QString::fromLatin1(origin)));
  }

  std::unique_ptr<QWebEnginePage> m_page;
  QWebEngineCookieStore* m_store = nullptr;
  std::unique_ptr<ProfileCookieCleaner> m_cleaner;
};

TEST_F(ProfileCookieCleanerTest, HostDeletionTakesWhatTheHostWouldBeSentAndFinishesFirst) {
  Set(Cookie("portal_only"), "http://www.example.test:8800/");
  Set(Cookie("portal_domain", ".example.test"), "http://www.example.test/");
  Set(Cookie("sibling_only"), "http://other.example.test/");
  Set(Cookie("loopback"), "http://127.0.0.1:8800/");
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_cleaner->KnownCookies().size() == 4; }, kEngineTimeoutMs));

  bool done = false;
  m_cleaner->DeleteHostCookies(QStringLiteral("www.example.test:8800"), [&done] { done = true; });
  EXPECT_FALSE(done);
  // Long before the 60 s bound: finished because the store reported the removals.
  ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kEngineTimeoutMs));

  // What the store reported removed, and only that.
  const QList<QNetworkCookie> left = m_cleaner->KnownCookies();
  EXPECT_FALSE(Holds(left, "portal_only"));
  EXPECT_FALSE(Holds(left, "portal_domain"));
  EXPECT_TRUE(Holds(left, "sibling_only"));
  EXPECT_TRUE(Holds(left, "loopback"));
}

TEST_F(ProfileCookieCleanerTest, DeletingEverythingFinishesWhenTheStoreIsEmpty) {
  Set(Cookie("a"), "http://127.0.0.1:8800/");
  Set(Cookie("b", ".example.test"), "http://www.example.test/");
  ASSERT_TRUE(QTest::qWaitFor([&] { return m_cleaner->KnownCookies().size() == 2; }, kEngineTimeoutMs));

  bool done = false;
  m_cleaner->DeleteAllCookies([&done] { done = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kEngineTimeoutMs));
  EXPECT_TRUE(m_cleaner->KnownCookies().isEmpty());
}

TEST_F(ProfileCookieCleanerTest, NothingToDeleteStillAnswersAfterTheCallReturned) {
  int done = 0;
  m_cleaner->DeleteHostCookies(QStringLiteral("nothing.test"), [&done] { ++done; });
  EXPECT_EQ(done, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return done == 1; }, kEngineTimeoutMs));
}

TEST_F(ProfileCookieCleanerTest, ADeletionTheStoreNeverConfirmsEndsAtTheTimeOut) {
  ProfileCookieCleaner impatient(SharedRuntime().Profile(), 200ms);
  // A cookie the mirror believes in but the store does not hold: its removal never comes.
  emit m_store->cookieAdded(Cookie("ghost", "ghost.test"));
  bool done = false;
  impatient.DeleteHostCookies(QStringLiteral("ghost.test"), [&done] { done = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
}

}  // namespace
}  // namespace tarvex
