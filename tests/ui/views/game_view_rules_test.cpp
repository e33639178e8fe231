#include "ui/views/game_view_rules.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

QString AddressWithQueryAt(int index) {
  QString address = QStringLiteral("http://g.test/");
  address += QString(index - address.size(), QLatin1Char('a'));
  return address + QStringLiteral("?s=1");
}

TEST(GameBrowserAddress, AppendsToAShortQueryElseStartsOne) {
  ASSERT_EQ(AddressWithQueryAt(99).indexOf(QLatin1Char('?')), 99);
  EXPECT_EQ(GameBrowserAddress(AddressWithQueryAt(99)), AddressWithQueryAt(99) + QStringLiteral("&v=2"));
  EXPECT_EQ(GameBrowserAddress(AddressWithQueryAt(100)), AddressWithQueryAt(100) + QStringLiteral("?v=2"));
  EXPECT_EQ(GameBrowserAddress(AddressWithQueryAt(180)), AddressWithQueryAt(180) + QStringLiteral("?v=2"));
  EXPECT_EQ(GameBrowserAddress(QStringLiteral("http://g.test/play")), QStringLiteral("http://g.test/play?v=2"));
  EXPECT_EQ(GameBrowserAddress(QStringLiteral("?")), QStringLiteral("?&v=2"));
  EXPECT_EQ(GameBrowserAddress(QString()), QStringLiteral("?v=2"));
}

TEST(GameTitleText, NamesGameServerAndClientVersion) {
  EXPECT_EQ(GameTitleText(QStringLiteral("三國誌"), QStringLiteral("12")), QStringLiteral("Tarvex-[三國誌] 12服  V5.50.32"));
  EXPECT_EQ(GameTitleText(QString(), QString()), QStringLiteral("Tarvex-[] 服  V5.50.32"));
}

TEST(GameWindowPages, AddressesAreComposedFromTheValuesAsTheyAre) {
  EXPECT_EQ(ServicePageAddress(QStringLiteral("127.0.0.1:8800")), QStringLiteral("https://127.0.0.1:8800/service/online"));
  EXPECT_EQ(FanPageAddress(QStringLiteral("social.test"), QStringLiteral("tarvexfans")),
            QStringLiteral("https://social.test/tarvexfans/"));
  EXPECT_EQ(FanPageAddress(QStringLiteral("social.test"), QString()), QStringLiteral("https://social.test//"));
  EXPECT_EQ(RechargePageAddress(QStringLiteral("portal.test"), QStringLiteral("7"), QStringLiteral("3")),
            QStringLiteral("http://portal.test/payment/esafe_webatm?game_id=7&server_id=3"));
  EXPECT_EQ(RechargePageAddress(QStringLiteral("portal.test"), QStringLiteral("a&b"), QString()),
            QStringLiteral("http://portal.test/payment/esafe_webatm?game_id=a&b&server_id="));
}

}  // namespace
}  // namespace tarvex
