#pragma once

#include <QString>

#include <functional>

namespace tarvex {

// Deletes cookies of the browser runtime and says when the deletion has finished, so that
// nothing navigates or hands back while old cookies could still be sent or fresh ones of
// the next page be caught by the deletion.
class CookieCleaner {
 public:
  virtual ~CookieCleaner() = default;

  // Deletes every cookie of every site. `done` runs once, after this call has returned,
  // when the deletion has finished or a bounded time has passed.
  virtual void DeleteAllCookies(std::function<void()> done) = 0;
  // Deletes the cookies that a request to `host` would carry: the host-only cookies of
  // that host and the domain cookies of it and of its parent domains, whatever their
  // path. A port in `host` ("127.0.0.1:8800") does not count. `done` as above.
  virtual void DeleteHostCookies(const QString& host, std::function<void()> done) = 0;
};

// Whether a cookie whose domain attribute is `cookieDomain` (a leading '.' marks a domain
// cookie, none a host-only cookie) goes with requests to `host`, which may carry a port.
bool IsCookieSentToHost(const QString& cookieDomain, const QString& host);

}  // namespace tarvex
