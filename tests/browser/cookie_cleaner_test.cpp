#include "browser/cookie_cleaner.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(IsCookieSentToHost, HostOnlyCookiesOfTheHostAndDomainCookiesOfItsDomains) {
  const struct {
    const char* domain;
    const char* host;
    bool sent;
  } cases[] = {
      {"127.0.0.1", "127.0.0.1:8800", true},  // the port does not count
      {"127.0.0.1", "127.0.0.1", true},
      {"127.0.0.2", "127.0.0.1:8800", false},
      {"portal.test", "portal.test", true},
      {"PORTAL.Test", "portal.TEST:80", true},
      {".portal.test", "portal.test", true},
      {".portal.test", "www.portal.test", true},
      {".test", "www.portal.test", true},
      {"portal.test", "www.portal.test", false},  // host-only: that host alone
      {"www.portal.test", "portal.test", false},
      {".www.portal.test", "portal.test", false},
      {".rtal.test", "portal.test", false},  // not at a label boundary
      {"xportal.test", "portal.test", false},
      {"", "portal.test", false},
      {".", "portal.test", false},
      {"portal.test", "", false},
      {"[::1]", "[::1]:8800", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsCookieSentToHost(QString::fromLatin1(c.domain), QString::fromLatin1(c.host)), c.sent)
        << c.domain << " -> " << c.host;
  }
}

}  // namespace
}  // namespace tarvex
