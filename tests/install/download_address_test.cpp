#include "install/download_address.h"

#include "install/download_handle.h"
#include "install/installer_checksum.h"
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
      {8, "a#b?c%d e", "https://dl.example:8443/games/a%23b%3Fc%25d%20e/download-a%23b%3Fc%25d%20e.exe?t=8"},
      {9, "히어로", "https://dl.example:8443/games/%ED%9E%88%EC%96%B4%EB%A1%9C/download-%ED%9E%88%EC%96%B4%EB%A1%9C.exe?t=9"},
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

// An https download never follows a redirect to http; its checksum file is the same path
// without the query.
TEST(DownloadAddress, RedirectsAndChecksumFileFollowTheInstallerAddress) {
  EXPECT_STREQ(DownloadHandle::RedirectProtocols("https://dl.example/games/k/download-k.exe?t=1"), "https");
  EXPECT_STREQ(DownloadHandle::RedirectProtocols("HTTPS://dl.example/x"), "https");
  EXPECT_STREQ(DownloadHandle::RedirectProtocols("http://dl.example/x"), "http,https");
  EXPECT_EQ(InstallerChecksum::AddressFor("https://dl.example:8443/games/a%23b/download-a%23b.exe?t=-5#x"),
            "https://dl.example:8443/games/a%23b/download-a%23b.exe.sha256");

  const QByteArray hex(64, 'a');
  EXPECT_EQ(InstallerChecksum::Parse(hex + "  download-k.exe\n"), QByteArray::fromHex(hex));
  EXPECT_EQ(InstallerChecksum::Parse(hex), QByteArray::fromHex(hex));
  // Some hosts write their sums in capitals.
  EXPECT_EQ(InstallerChecksum::Parse(hex.toUpper() + "  download-k.exe\n"), QByteArray::fromHex(hex));
  for (const QByteArray& bad : {QByteArray(63, 'a'), QByteArray(65, 'a'), QByteArray(64, 'g'),
                                QByteArray(), QByteArray("<html>404</html>")}) {
    EXPECT_TRUE(InstallerChecksum::Parse(bad).isEmpty()) << bad.toStdString();
  }
}

}  // namespace
}  // namespace tarvex
