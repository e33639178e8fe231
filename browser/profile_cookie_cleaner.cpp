#include "browser/profile_cookie_cleaner.h"

#include "platform/trace.h"

#include <QTimer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace tarvex {
namespace {

void RemoveSame(QList<QNetworkCookie>& cookies, const QNetworkCookie& cookie) {
  cookies.removeIf([&cookie](const QNetworkCookie& known) { return known.hasSameIdentifier(cookie); });
}

}  // namespace

ProfileCookieCleaner::ProfileCookieCleaner(QWebEngineProfile* profile, std::chrono::milliseconds timeout,
                                           QObject* parent)
    : QObject(parent), m_store(profile->cookieStore()), m_timeout(timeout) {
  connect(m_store, &QWebEngineCookieStore::cookieAdded, this, &ProfileCookieCleaner::OnCookieAdded);
  connect(m_store, &QWebEngineCookieStore::cookieRemoved, this, &ProfileCookieCleaner::OnCookieRemoved);
  m_store->loadAllCookies();
}

ProfileCookieCleaner::~ProfileCookieCleaner() = default;

void ProfileCookieCleaner::DeleteAllCookies(std::function<void()> done) {
  const QList<QNetworkCookie> all = m_known;
  m_store->deleteAllCookies();
  Wait(all, std::move(done));
}

void ProfileCookieCleaner::DeleteHostCookies(const QString& host, std::function<void()> done) {
  QList<QNetworkCookie> matching;
  for (const QNetworkCookie& cookie : m_known) {
    if (IsCookieSentToHost(cookie.domain(), host)) matching.append(cookie);
  }
  for (const QNetworkCookie& cookie : matching) m_store->deleteCookie(cookie);
  Wait(matching, std::move(done));
}

void ProfileCookieCleaner::Wait(QList<QNetworkCookie> cookies, std::function<void()> done) {
  const int id = m_nextRequestId++;
  Request& request = m_requests[id];
  request.waitingFor = std::move(cookies);
  request.done = std::move(done);
  request.timeout = new QTimer(this);
  request.timeout->setSingleShot(true);
  // Nothing to wait for still finishes after the caller has returned.
  request.timeout->setInterval(request.waitingFor.isEmpty() ? std::chrono::milliseconds(0) : m_timeout);
  connect(request.timeout, &QTimer::timeout, this,
          [this, id, empty = request.waitingFor.isEmpty()] { Finish(id, !empty); });
  request.timeout->start();
}

void ProfileCookieCleaner::OnCookieAdded(const QNetworkCookie& cookie) {
  RemoveSame(m_known, cookie);
  m_known.append(cookie);
}

void ProfileCookieCleaner::OnCookieRemoved(const QNetworkCookie& cookie) {
  RemoveSame(m_known, cookie);
  QList<int> finished;
  for (auto& [id, request] : m_requests) {
    if (request.waitingFor.isEmpty()) continue;  // already due
    RemoveSame(request.waitingFor, cookie);
    if (request.waitingFor.isEmpty()) finished.append(id);
  }
  for (int id : finished) Finish(id, false);
}

void ProfileCookieCleaner::Finish(int requestId, bool timedOut) {
  const auto found = m_requests.find(requestId);
  if (found == m_requests.end()) return;
  std::function<void()> done = std::move(found->second.done);
  found->second.timeout->deleteLater();
  m_requests.erase(found);
  if (timedOut) Trace(QStringLiteral("----------cookie deletion timed out----------\n"));
  done();
}

}  // namespace tarvex
