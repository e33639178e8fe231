#include "portal/address_field.h"
#include "portal/launch_parameter.h"
#include "portal/start_ping.h"
#include "portal/target_encoding.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarvex {
namespace {

const QString kHost = QStringLiteral("127.0.0.1:8800");

TEST(LaunchParameterTest, ArgumentsAreJoinedBySingleBlanks) {
  EXPECT_EQ(LaunchParameterFromArguments({}), QString());
  EXPECT_EQ(LaunchParameterFromArguments({QStringLiteral(" 121 ")}), QStringLiteral(" 121 "));
  EXPECT_EQ(LaunchParameterFromArguments({QStringLiteral("\"zpay://a/b\"")}), QStringLiteral("\"zpay://a/b\""));
  EXPECT_EQ(LaunchParameterFromArguments({QStringLiteral("zpay://a"), QStringLiteral("b/c")}),
            QStringLiteral("zpay://a b/c"));
}

TEST(LaunchParameterTest, DecimalValueIsReadLikeWcstol) {
  const std::pair<const char*, long> cases[] = {
      {"", 0},           {"12", 12},       {"121", 121},      {" 121", 121},
      {"\t\n121", 121},  {"0121", 121},    {"121a", 121},     {"+121", 121},
      {"-121", -121},    {"a121", 0},      {"- 121", 0},      {"1 21", 1},
      {"99999999999999999999", LONG_MAX}, {"-99999999999999999999", LONG_MIN},
      {"9223372036854775807", LONG_MAX},  {"-9223372036854775808", LONG_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(LeadingDecimalValue(QString::fromUtf8(text)), value) << text;
}

TEST(LaunchParameterTest, GpuIsSwitchedOffBy121InThreeToFiveCharacters) {
  const std::pair<const char*, bool> cases[] = {
      {"", false},      {"12", false},      {"121", true},     {" 121", true},   {"0121", true},
      {"121a", true},   {"00121", true},    {"000121", false}, {"123456", false}, {"122", false},
      {"+121", true},   {"121  ", true},
  };
  for (const auto& [parameter, off] : cases) EXPECT_EQ(ParameterDisablesGpu(QString::fromUtf8(parameter)), off) << parameter;
}

struct StartCase {
  const char* token;
  const char* parameter;
  const char* path;
};

TEST(LaunchParameterTest, StartAddressRulesApplyInOrder) {
  const StartCase cases[] = {
      {"abcdefgh", "", "/mini/server_inf_data/?key=abcdefgh"},
      {"", "", "/mini/index/"},
      {"abcdefg", "", "/mini/index/"},
      {"abcdefghi", "", "/mini/index/"},
      {"abcdefg\r", "", "/mini/server_inf_data/?key=abcdefg%0D"},
      // 3 to 5 characters: the servers page, even with a usable token.
      {"abcdefgh", "121", "/mini/servers/121"},
      {"", "121", "/mini/servers/121"},
      {"", "abcde", "/mini/servers/abcde"},
      {"", "1 2", "/mini/servers/1%202"},
      // 1, 2 or 6 characters: ignored.
      {"abcdefgh", "12", "/mini/server_inf_data/?key=abcdefgh"},
      {"", "1", "/mini/index/"},
      {"", "123456", "/mini/index/"},
      {"", "zpay:/", "/mini/index/"},
      // More than 6 characters with "zpay://": the pay page with field 2.
      {"", "zpay://order=5/x", "/mini/pay_app/?order=5"},
      {"abcdefgh", "zpay://order=5/x", "/mini/pay_app/?order=5"},
      {"", "zpay://order=5", "/mini/pay_app/?order=5"},
      {"", "\"zpay://order=5\"", "/mini/pay_app/?order=5\""},
      {"", "zpay://", "/mini/pay_app/?"},
      {"", "a/b/zpay://order=5", "/mini/pay_app/?zpay:"},
      {"", "open zpay://id=7/", "/mini/pay_app/?id=7"},
      {"", "ZPAY://order=5", "/mini/index/"},
      // More than 6 characters without "zpay://": ignored.
      {"abcdefgh", "zpay:abc", "/mini/server_inf_data/?key=abcdefgh"},
      {"", "zpay:abc", "/mini/index/"},
  };
  for (const StartCase& c : cases) {
    EXPECT_EQ(StartAddress(kHost, QString::fromUtf8(c.token), QString::fromUtf8(c.parameter)),
              kHost + QString::fromUtf8(c.path))
        << "token " << c.token << ", parameter " << c.parameter;
  }
}

TEST(LaunchParameterTest, AddressFieldsCountTheSchemeAsFieldZero) {
  const QString address = QStringLiteral("http://host/game/play/srv/1116/7/name/fan");
  EXPECT_EQ(AddressField(address, 0), QStringLiteral("http:"));
  EXPECT_EQ(AddressField(address, 1), QString());
  EXPECT_EQ(AddressField(address, 2), QStringLiteral("host"));
  EXPECT_EQ(AddressField(address, 6), QStringLiteral("1116"));
  EXPECT_EQ(AddressField(address, 9), QStringLiteral("fan"));
  EXPECT_EQ(AddressField(address, 10), QString());
  EXPECT_EQ(AddressField(QStringLiteral("a/b/c/d/e/f"), 6), QString());
  EXPECT_EQ(AddressField(QString(), 0), QString());
}

TEST(LaunchParameterTest, StartPingCarriesFieldSixOfTheGameAddress) {
  EXPECT_EQ(StartPingTarget(QString()), QStringLiteral("/tj/minclient?game_id=&type=3&key="));
  EXPECT_EQ(StartPingTarget(QStringLiteral("http://host/a/b/c/1116/7")),
            QStringLiteral("/tj/minclient?game_id=1116&type=3&key="));
  EXPECT_EQ(StartPingTarget(QStringLiteral("http://host/a/b/c/11 6#/7")),
            QStringLiteral("/tj/minclient?game_id=11%206%23&type=3&key="));
}

TEST(LaunchParameterTest, InsertedValuesKeepPrintableAsciiAndEncodeTheRest) {
  const std::pair<QString, const char*> cases[] = {
      {QStringLiteral("abcdefgh"), "abcdefgh"},
      {QStringLiteral("!~%&=?/\"'"), "!~%&=?/\"'"},
      {QStringLiteral("a b"), "a%20b"},
      {QStringLiteral("ab\r\n"), "ab%0D%0A"},
      {QStringLiteral("a#b"), "a%23b"},
      {QStringLiteral("\x7f"), "%7F"},
      {QStringLiteral("é令"), "%C3%A9%E4%BB%A4"},
      {QString(), ""},
  };
  for (const auto& [value, encoded] : cases) EXPECT_EQ(EncodeTargetValue(value), QString::fromUtf8(encoded)) << encoded;
}

}  // namespace
}  // namespace tarvex
