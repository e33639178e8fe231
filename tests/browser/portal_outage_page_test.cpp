// When the main browser gives up on the portal and how long it waits before it tries again.
#include "browser/portal_outage_page.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using Info = QWebEngineLoadingInfo;

TEST(PortalOutagePageTest, OnlyFailuresThatNeverReachedTheServerCount) {
  EXPECT_TRUE(IsNetworkFailure(Info::ConnectionErrorDomain, -102));  // refused
  EXPECT_TRUE(IsNetworkFailure(Info::DnsErrorDomain, -800));
  EXPECT_TRUE(IsNetworkFailure(Info::CertificateErrorDomain, -202));
  EXPECT_TRUE(IsNetworkFailure(Info::InternalErrorDomain, -7));  // timed out
  EXPECT_FALSE(IsNetworkFailure(Info::InternalErrorDomain, -3));  // cancelled by the routing
  EXPECT_FALSE(IsNetworkFailure(Info::HttpStatusCodeDomain, 500));
  EXPECT_FALSE(IsNetworkFailure(Info::HttpErrorDomain, -320));
}

TEST(PortalOutagePageTest, RetriesBackOffByDoublingUpToAMinute) {
  const int expected[] = {2, 4, 8, 16, 32, 60, 60};
  for (int attempt = 0; attempt < 7; ++attempt)
    EXPECT_EQ(OutageRetryDelay(attempt).count(), expected[attempt]) << attempt;
  EXPECT_EQ(OutageRetryDelay(1000).count(), 60);
}

}  // namespace
}  // namespace tarvex
