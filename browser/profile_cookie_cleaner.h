#pragma once

#include "browser/cookie_cleaner.h"

#include <QList>
#include <QNetworkCookie>
#include <QObject>

#include <chrono>
#include <map>

class QTimer;
class QWebEngineCookieStore;
class QWebEngineProfile;

namespace tarvex {

// Deletes cookies of one profile's store. The store's calls are asynchronous and report
// nothing back except the cookies it adds and removes, so this object mirrors the store
// from the moment it is made (it asks the store for every cookie it already holds) and
// counts a deletion as finished when every cookie it covered has been reported removed.
// Make it together with the profile, before any page exists, and keep it as long.
class ProfileCookieCleaner final : public QObject, public CookieCleaner {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

  explicit ProfileCookieCleaner(QWebEngineProfile* profile,
                                std::chrono::milliseconds timeout = kDefaultTimeout,
                                QObject* parent = nullptr);
  ~ProfileCookieCleaner() override;

  void DeleteAllCookies(std::function<void()> done) override;
  void DeleteHostCookies(const QString& host, std::function<void()> done) override;

  // The cookies the store is known to hold.
  const QList<QNetworkCookie>& KnownCookies() const { return m_known; }

 private:
  struct Request {
    QList<QNetworkCookie> waitingFor;
    std::function<void()> done;
    QTimer* timeout = nullptr;
  };

  void Wait(QList<QNetworkCookie> cookies, std::function<void()> done);
  void OnCookieAdded(const QNetworkCookie& cookie);
  void OnCookieRemoved(const QNetworkCookie& cookie);
  void Finish(int requestId, bool timedOut);

  QWebEngineCookieStore* m_store;
  std::chrono::milliseconds m_timeout;
  QList<QNetworkCookie> m_known;
  std::map<int, Request> m_requests;
  int m_nextRequestId = 0;
};

}  // namespace tarvex
