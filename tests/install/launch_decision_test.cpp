#include "install/launch_decision.h"

#include "install/file_name_rules.h"
#include "platform/paths.h"
#include "install/isolated_home.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tarvex::launch {

void PrintTo(const Decision& decision, std::ostream* out) {
  if (const auto* start = std::get_if<Start>(&decision)) {
    *out << "Start(" << start->executable.toStdString() << ", " << start->launchParams.toStdString();
    if (start->shortcut)
      *out << ", shortcut " << start->shortcut->name.toStdString() << " / " << start->shortcut->arguments.toStdString();
    *out << ")";
  } else if (const auto* missing = std::get_if<NotInstalled>(&decision)) {
    *out << "NotInstalled(" << missing->key.toStdString() << ", " << missing->launchParams.toStdString() << ")";
  } else if (const auto* refused = std::get_if<RefuseKey>(&decision)) {
    *out << "RefuseKey(" << refused->key.toStdString() << ")";
  } else {
    *out << "TokenExpired";
  }
}

namespace {

class LaunchDecisionTest : public ::testing::Test {
 protected:
  void Install(const QString& key) {
    ASSERT_TRUE(QDir().mkpath(paths::GameFolder(key)));
    QFile exe(paths::GameExecutable(key));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
  }
  static QString Address(const QString& arguments, const QString& key, const QString& name, const QString& params) {
    return QStringLiteral("http://portal/game_play/%1/%2/%3/%4").arg(arguments, key, name, params);
  }
  Start Expected(const QString& key, const QString& params, std::optional<Shortcut> shortcut) {
    return Start{paths::GameExecutable(key), params, std::move(shortcut)};
  }

  testing::IsolatedHome m_home;
};

TEST_F(LaunchDecisionTest, InstalledGameStartsWithShortcut) {
  Install(QStringLiteral("mir2"));
  EXPECT_EQ(DecideLaunch(Address(QStringLiteral("g=mir2"), QStringLiteral("mir2"), QStringLiteral("%E4%B8%AD%20x"),
                                 QStringLiteral("12345678"))),
            Decision(Expected(QStringLiteral("mir2"), QStringLiteral("12345678"),
                              Shortcut{QString(QChar(0x4E2D)) + QStringLiteral(" x"), QStringLiteral("g=mir2"),
                                       paths::GameIcon(QStringLiteral("mir2")), QStringLiteral("mir2")})));
}

TEST_F(LaunchDecisionTest, ParametersNeedEightCharactersOnlyWhenInstalled) {
  Install(QStringLiteral("k"));
  EXPECT_EQ(DecideLaunch(Address("a", "k", "n", "1234567")), Decision(TokenExpired{}));
  EXPECT_TRUE(std::holds_alternative<Start>(DecideLaunch(Address("a", "k", "n", "12345678"))));
  EXPECT_EQ(DecideLaunch(Address("a", "other", "n", "")), Decision(NotInstalled{"other", ""}));
}

TEST_F(LaunchDecisionTest, MissingFieldsAreEmpty) {
  EXPECT_EQ(DecideLaunch(QStringLiteral("http://portal/game_play/args")), Decision(NotInstalled{}));
  EXPECT_EQ(DecideLaunch(QStringLiteral("http://portal/game_play/args/k")), Decision(NotInstalled{"k", ""}));
  // Field 7 ends at the next '/', query and all.
  EXPECT_EQ(DecideLaunch(QStringLiteral("http://p/g/a/k/n/12345678?x=1/more")), Decision(NotInstalled{"k", "12345678?x=1"}));
}

TEST_F(LaunchDecisionTest, EmptyKeyAlwaysGoesToTheDownload) {
  // Even a file that the empty key's executable path would name does not count.
  Install(QString());
  EXPECT_EQ(DecideLaunch(Address("a", "", "n", "12345678")), Decision(NotInstalled{"", "12345678"}));
}

TEST_F(LaunchDecisionTest, ExecutableMustBeAFile) {
  ASSERT_TRUE(QDir().mkpath(paths::GameExecutable(QStringLiteral("k"))));
  EXPECT_EQ(DecideLaunch(Address("a", "k", "n", "12345678")), Decision(NotInstalled{"k", "12345678"}));
}

TEST_F(LaunchDecisionTest, KeysThatLeaveTheGamesFolderAreRefused) {
  for (const QString& key : {QStringLiteral(".."), QStringLiteral("."), QStringLiteral("a\\b"), QStringLiteral("..\\x"),
                            QStringLiteral("a\tb"), QStringLiteral("a\nb"), QString(QChar(0)), QStringLiteral("a\x7f")}) {
    SCOPED_TRACE(key.toStdString());
    EXPECT_EQ(DecideLaunch(Address("a", key, "n", "12345678")), Decision(RefuseKey{key}));
  }
  EXPECT_FALSE(IsAcceptableGameKey(QStringLiteral("a/b")));
  for (const QString& key : {QStringLiteral("a..b"), QStringLiteral("...")}) {
    SCOPED_TRACE(key.toStdString());
    EXPECT_EQ(DecideLaunch(Address("a", key, "n", "1")), Decision(NotInstalled{key, "1"}));
  }
}

TEST_F(LaunchDecisionTest, UnusableShortcutNamesOrArgumentsStillStartTheGame) {
  Install(QStringLiteral("k"));
  const struct {
    QString arguments;
    QString encodedName;
    bool shortcut;
  } cases[] = {
      {"a", "", false},
      {"a", "a%2Fb", false},
      {"a", "..", false},
      {"a", "%2E%2E", false},
      {"a", "%2E", false},
      {"a", "a%00b", false},
      {"a", "a%0Ab", false},
      {"a", "a%09b", false},
      {"line\nbreak", "n", false},
      {"cr\rhere", "n", false},
      {"a", "what%3F%20%22why%22%5C", true},
      {"a", "...", true},
      {"", "n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encodedName.toStdString() + " / " + c.arguments.toStdString());
    const Decision decision = DecideLaunch(Address(c.arguments, "k", c.encodedName, "12345678"));
    ASSERT_TRUE(std::holds_alternative<Start>(decision));
    EXPECT_EQ(std::get<Start>(decision).shortcut.has_value(), c.shortcut);
  }
}

}  // namespace
}  // namespace tarvex::launch
