#include "wine/program_locale.h"

#include "install/isolated_home.h"
#include "platform/paths.h"
#include "wine/pe_image.h"
#include "wine/program_command.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <gtest/gtest.h>

namespace tarvex::wine {
namespace {

TEST(ProgramLocaleTest, EastAsianProgramsGetALocaleOfTheirLanguageUnlessTheUsersHasIt) {
  const std::optional<QString> none;
  const struct {
    const char* name;
    ProgramLanguages languages;
    QString userLocale;
    std::optional<QString> override;
    QString locale;
  } rows[] = {
      {"Korean", {{0x412}, {{0x412, 4}}}, "C.UTF-8", none, "ko_KR.UTF-8"},
      {"Korean, user's Korean in another charset", {{0x412}, {}}, "ko_KR.eucKR", none, ""},
      {"Japanese", {{0x411}, {}}, "en_US.UTF-8", none, "ja_JP.UTF-8"},
      {"Taiwan, user's Simplified", {{0x404}, {}}, "zh_CN.UTF-8", none, "zh_TW.UTF-8"},
      {"Taiwan, user's Hong Kong", {{0x404}, {}}, "zh_HK.UTF-8", none, ""},
      {"Hong Kong", {{0x0c04}, {}}, "de_DE.UTF-8", none, "zh_HK.UTF-8"},
      {"Macao", {{0x1404}, {}}, "", none, "zh_HK.UTF-8"},
      {"China", {{0x804}, {}}, "zh_TW.UTF-8", none, "zh_CN.UTF-8"},
      {"Singapore, user's bare zh", {{0x1004}, {}}, "zh", none, ""},
      {"English version, Korean dialogs", {{0x409}, {{0x409, 1}, {0x412, 2}}}, "C.UTF-8", none, "ko_KR.UTF-8"},
      {"first East Asian translation", {{0x409, 0x411, 0x412}, {}}, "C.UTF-8", none, "ja_JP.UTF-8"},
      {"most resources, tie to the lower id", {{}, {{0x409, 9}, {0x412, 2}, {0x804, 2}}}, "C", none, "ko_KR.UTF-8"},
      {"most resources", {{}, {{0x412, 1}, {0x804, 2}}}, "C", none, "zh_CN.UTF-8"},
      {"English", {{0x409}, {{0x409, 3}}}, "ko_KR.UTF-8", none, ""},
      {"neutral and English", {{}, {{0x0000, 3}, {0x0009, 2}}}, "C", none, ""},
      {"nothing stated", {}, "C.UTF-8", none, ""},
      {"setting: the user's own", {{0x412}, {}}, "C.UTF-8", QString("user"), ""},
      {"setting: a locale", {{0x409}, {}}, "ko_KR.UTF-8", QString("ja_JP.UTF-8"), "ja_JP.UTF-8"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ChooseProgramLocale(row.languages, row.userLocale, row.override), row.locale);
  }

  QProcessEnvironment environment;
  environment.insert("LANG", "ko_KR.UTF-8");
  EXPECT_EQ(UserLocale(environment), "ko_KR.UTF-8");
  environment.insert("LC_CTYPE", "en_US.UTF-8");
  EXPECT_EQ(UserLocale(environment), "en_US.UTF-8");
  environment.insert("LC_ALL", "zh_TW.UTF-8");
  EXPECT_EQ(UserLocale(environment), "zh_TW.UTF-8");
}

// The game's own line in the settings file wins over TARVEX_GAME_LOCALE; values that are
// no locale name are ignored.
TEST(ProgramLocaleTest, SettingsComeFromTheGamesLineThenTheEnvironment) {
  testing::IsolatedHome home;
  ASSERT_TRUE(QDir().mkpath(QFileInfo(paths::SettingsFile()).path()));
  QFile settings(paths::SettingsFile());
  ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
  settings.write("[locale]\nhero=ja_JP.UTF-8\nmine=user\nbad=\"a b;rm\"\n");
  settings.close();
  QProcessEnvironment environment;
  EXPECT_EQ(LocaleSetting("hero", environment), QString("ja_JP.UTF-8"));
  EXPECT_EQ(LocaleSetting("other", environment), std::nullopt);
  environment.insert("TARVEX_GAME_LOCALE", "zh_TW.UTF-8");
  EXPECT_EQ(LocaleSetting("hero", environment), QString("ja_JP.UTF-8"));
  EXPECT_EQ(LocaleSetting("mine", environment), QString("user"));
  EXPECT_EQ(LocaleSetting("bad", environment), QString("zh_TW.UTF-8"));
  EXPECT_EQ(LocaleSetting("other", environment), QString("zh_TW.UTF-8"));
}

// A Korean game, started by a launcher whose locale is English: the game's environment has
// the Korean locale, the launcher's own stays; a locale the system lacks is not set, and
// is named.
TEST(ProgramLocaleTest, OnlyTheProgramsEnvironmentChanges) {
  testing::IsolatedHome home;
  ASSERT_TRUE(IsLocaleInstalled("ko_KR.UTF-8")) << "needs locales-all";
  EXPECT_FALSE(IsLocaleInstalled("xx_XX.UTF-8"));
  const QString game = paths::GameExecutable("hero");
  ASSERT_TRUE(QDir().mkpath(paths::GameFolder("hero")));
  QFile file(game);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(testing::ProgramOfLanguage(0x412));
  file.close();
  const auto restore = qScopeGuard([saved = std::pair{qgetenv("LC_ALL"), qgetenv("LANG")}] {
    for (const auto& [name, value] : {std::pair{"LC_ALL", saved.first}, std::pair{"LANG", saved.second}}) {
      if (value.isNull()) qunsetenv(name);
      else qputenv(name, value);
    }
    qunsetenv("TARVEX_GAME_LOCALE");
  });
  qputenv("LC_ALL", "C.UTF-8");
  qputenv("LANG", "en_US.UTF-8");
  const ProgramCommand command = CommandFor(game, {});
  if (command.logFile.isEmpty()) GTEST_SKIP() << "needs wine";
  EXPECT_EQ(command.environment.value("LC_ALL"), "ko_KR.UTF-8");
  EXPECT_EQ(command.environment.value("LANG"), "ko_KR.UTF-8");
  EXPECT_EQ(qgetenv("LC_ALL"), "C.UTF-8");
  EXPECT_EQ(MissingLocale(game), "");

  qputenv("TARVEX_GAME_LOCALE", "xx_XX.UTF-8");
  EXPECT_EQ(CommandFor(game, {}).environment.value("LC_ALL"), "C.UTF-8");
  EXPECT_EQ(MissingLocale(game), "xx_XX.UTF-8");
}

}  // namespace
}  // namespace tarvex::wine
