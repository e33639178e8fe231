#include "install/download_address.h"

#include "support/fake_services.h"
#include "platform/hosts.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(DownloadAddress, TickCountIsWrittenAsSigned32Bit) {
  const Hosts hosts{"portal", "dl.example:8443", "social", "https"};
  const struct {
    std::uint32_t ticks;
    const char* key;
    const char* expected;
  } cases[] = {
      {12345, "mir", "https://dl.example:8443/games/mir/download-mir.exe?t=12345"},
      {0x7FFFFFFFu, "k", "https://dl.example:8443/games/k/download-k.exe?t=2147483647"},
      {0x80000000u, "k", "https://dl.example:8443/games/k/download-k.exe?t=-2147483648"},
      // Thirty days after the system started.
      {2592000000u, "k", "https://dl.example:8443/games/k/download-k.exe?t=-1702967296"},
      {0xFFFFFFFFu, "k", "https://dl.example:8443/games/k/download-k.exe?t=-1"},
      {7, "", "https://dl.example:8443/games//download-.exe?t=7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    testing::FixedClock clock(c.ticks);
    EXPECT_EQ(DownloadAddress(hosts, QString::fromUtf8(c.key), clock), QString::fromUtf8(c.expected));
  }
}

TEST(DownloadAddress, SchemeComesFromTheHosts) {
  testing::FixedClock clock(1);
  EXPECT_EQ(DownloadAddress(Hosts{"p", "127.0.0.1:8800", "s", "http"}, "k", clock),
            "http://127.0.0.1:8800/games/k/download-k.exe?t=1");
}

}  // namespace
}  // namespace tarvex
