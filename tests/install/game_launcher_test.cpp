#include "install/game_launcher.h"

#include "install/desktop_shortcut.h"
#include "install/isolated_home.h"
#include "install/launch_decision.h"
#include "interfaces/views.h"
#include "support/fake_services.h"
#include "support/trace_capture.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "wine/wine.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <functional>

namespace tarvex {
namespace {

class RecordingViews final : public Views {
 public:
  void OpenGameView(const QString&, int) override { ADD_FAILURE() << "OpenGameView"; }
  void OpenPayView(const QString&, int, int, const QString&) override { ADD_FAILURE() << "OpenPayView"; }
  void OpenLoadView(const QString& key, const QString& params) override { loads.push_back({key, params}); }
  void LaunchGame(const QString&) override { ADD_FAILURE() << "LaunchGame"; }
  std::vector<std::pair<QString, QString>> loads;
};

class RecordingPrompt final : public Prompt {
 public:
  Answer Ask(QWidget* owner, const QString& text, const QString& caption, Buttons buttons, Icon icon) override {
    EXPECT_EQ(owner, nullptr);
    asked.push_back(QStringList{text, caption, buttons == Buttons::Ok ? "ok" : "yesno",
                                icon == Icon::Exclamation ? "exclamation" : "information"});
    return Answer::Ok;
  }
  QString AskSaveFileName(QWidget*, const QString&) override { return {}; }
  std::vector<QStringList> asked;
};

class GameLauncherTest : public ::testing::Test {
 protected:
  void Install(const QString& key) {
    ASSERT_TRUE(QDir().mkpath(paths::GameFolder(key)));
    QFile exe(paths::GameExecutable(key));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
  }
  QString ReadDesktop(const QString& name) {
    QFile file(m_home.Desktop() + name + QStringLiteral(".desktop"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
  QStringList DesktopFiles() { return QDir(m_home.Desktop()).entryList(QDir::Files | QDir::Hidden); }

  testing::IsolatedHome m_home;
  RecordingViews m_views;
  RecordingPrompt m_prompt;
  testing::RecordingProgramStarter m_starter;
  GameLauncher m_launcher{m_views, m_prompt, m_starter};
};

TEST_F(GameLauncherTest, StartsGameThenWritesExecutableShortcut) {
  Install(QStringLiteral("mir"));
  testing::TraceCapture traces;
  m_launcher.Launch(QStringLiteral("http://p/game_play/my%20arg/mir/Mir%20%E4%B8%AD/token123"));

  const QString exe = paths::GameExecutable(QStringLiteral("mir"));
  const QString icon = paths::GameIcon(QStringLiteral("mir"));
  EXPECT_EQ(m_starter.Calls(), (std::vector<testing::RecordingProgramStarter::Call>{{exe, {"token123"}}}));
  EXPECT_EQ(traces.Lines(), (QStringList{"---------qidongmulu---------" + exe + "\n", "---------output---------token123\n",
                                         QStringLiteral("---------创建快捷键---------") + icon + "\n"}));

  const QString name = QStringLiteral("Mir ") + QChar(0x4E2D);
  const QString client = paths::InstalledClient();
  const QString companion = "\"" + paths::InstalledCompanion() + "\"";
  // Without a readable .ico the entry names the file itself.
  const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + name + "\nExec=\"" + client +
                       "\" \"my%%20arg\"\nComment=" + client + "\nIcon=" + icon +
                       "\nCategories=Game;\nStartupWMClass=mir.exe\nActions=uninstall;stop;log;\nX-Tarvex-Game=mir\n"
                       "\n[Desktop Action uninstall]\nName=Uninstall\nName[ko]=제거\nName[zh_CN]=卸载\n"
                       "Name[zh_TW]=解除安裝\nExec=" + companion + " \"uninstall\" \"mir\"\n"
                       "\n[Desktop Action stop]\nName=Stop the game\nName[ko]=게임 종료\nName[zh_CN]=结束游戏\n"
                       "Name[zh_TW]=結束遊戲\nExec=" + companion + " \"stop\" \"mir\"\n"
                       "\n[Desktop Action log]\nName=Show the log\nName[ko]=로그 보기\nName[zh_CN]=查看日志\n"
                       "Name[zh_TW]=檢視日誌\nExec=" + companion + " \"log\" \"mir\"\n";
  EXPECT_EQ(ReadDesktop(name), text);
  EXPECT_EQ(QFile::permissions(m_home.Desktop() + name + ".desktop") & 0x0777, QFile::Permissions(0x0755));
  // The same entry in the applications menu, under the launcher's own name for it.
  QFile menuEntry(paths::MenuEntry("mir"));
  ASSERT_TRUE(menuEntry.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(menuEntry.readAll()), text);
  EXPECT_TRUE(m_views.loads.empty());
  EXPECT_TRUE(m_prompt.asked.empty());
}

// The game's .ico becomes a PNG icon in the user's theme, which both entries name.
TEST_F(GameLauncherTest, TheGamesIconGoesIntoTheIconThemeAsPng) {
  Install(QStringLiteral("k"));
  QImage picture(48, 48, QImage::Format_ARGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(paths::GameIcon("k"), "ICO"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  const QImage png(paths::ThemeIcon("k", 48), "PNG");
  EXPECT_EQ(png.size(), QSize(48, 48));
  EXPECT_EQ(png.pixelColor(10, 10), QColor(Qt::red));
  EXPECT_TRUE(ReadDesktop("Game").contains("\nIcon=tarvex-k\n"));
  QFile menuEntry(paths::MenuEntry("k"));
  ASSERT_TRUE(menuEntry.open(QIODevice::ReadOnly));
  EXPECT_TRUE(menuEntry.readAll().contains("\nIcon=tarvex-k\n"));
}

TEST_F(GameLauncherTest, EveryStartRewritesTheShortcut) {
  Install(QStringLiteral("k"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/first/k/Game/12345678"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/second/k/Game/12345678"));
  EXPECT_TRUE(ReadDesktop("Game").contains("\"second\""));
  EXPECT_FALSE(ReadDesktop("Game").contains("first"));
  EXPECT_FALSE(ReadDesktop("Game").contains("MimeType"));
  EXPECT_EQ(DesktopFiles(), QStringList{"Game.desktop"});
  EXPECT_EQ(m_starter.Calls().size(), 2u);
}

// A file of the shortcut's name that the launcher did not write (another program's entry,
// a link to one) stays as it is; the game starts all the same.
TEST_F(GameLauncherTest, AnEntryTheLauncherDidNotWriteIsLeftAlone) {
  Install(QStringLiteral("k"));
  const QString other = m_home.Desktop() + "other.desktop";
  const QByteArray foreign("[Desktop Entry]\nType=Application\nName=Game\nExec=/usr/bin/other\n");
  const struct {
    const char* name;
    std::function<void(const QString&)> place;
  } cases[] = {
      {"another program's entry",
       [&](const QString& path) {
         QFile file(path);
         ASSERT_TRUE(file.open(QIODevice::WriteOnly));
         file.write(foreign);
       }},
      {"a link to one", [&](const QString& path) { ASSERT_TRUE(QFile::link(other, path)); }},
  };
  {
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(foreign);
  }
  const QString entry = m_home.Desktop() + "Game.desktop";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(entry);
    c.place(entry);
    testing::TraceCapture traces;
    m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
    EXPECT_TRUE(traces.Lines().contains("---------shortcut left alone---------" + entry + "\n"));
    EXPECT_EQ(ReadDesktop("Game"), QString::fromUtf8(foreign));
    EXPECT_EQ(ReadDesktop("other"), QString::fromUtf8(foreign));
  }
  EXPECT_EQ(m_starter.Calls().size(), 2u);
}

TEST_F(GameLauncherTest, EmptyParametersStartTheGameWithoutAnArgument) {
  GameLauncher::StartGame(launch::Start{QStringLiteral("/games/k/k.exe"), QString(), std::nullopt}, m_starter);
  EXPECT_EQ(m_starter.Calls(), (std::vector<testing::RecordingProgramStarter::Call>{{"/games/k/k.exe", {}}}));
}

TEST_F(GameLauncherTest, ShortTokenAsksForANewOne) {
  Install(QStringLiteral("k"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/1234567"));
  EXPECT_EQ(m_prompt.asked, (std::vector<QStringList>{{"token expire", "NimboClient", "ok", "exclamation"}}));
  EXPECT_TRUE(m_starter.Calls().empty());
  EXPECT_TRUE(DesktopFiles().isEmpty());
}

TEST_F(GameLauncherTest, MissingGameOpensTheDownloadWindow) {
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a"));
  EXPECT_EQ(m_views.loads, (std::vector<std::pair<QString, QString>>{{"k", ""}, {"", ""}}));
  EXPECT_TRUE(m_starter.Calls().empty());
}

TEST_F(GameLauncherTest, RefusedKeyDoesNothing) {
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/../Game/12345678"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/..\\..\\x/Game/12345678"));
  EXPECT_TRUE(m_views.loads.empty());
  EXPECT_TRUE(m_starter.Calls().empty());
  EXPECT_TRUE(m_prompt.asked.empty());
}

TEST_F(GameLauncherTest, BadNameOrMissingDesktopStillStartsTheGame) {
  Install(QStringLiteral("k"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/..%2F..%2Fevil/12345678"));
  EXPECT_TRUE(DesktopFiles().isEmpty());
  ASSERT_TRUE(QDir(m_home.Desktop()).removeRecursively());
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  EXPECT_FALSE(QFile::exists(m_home.Desktop() + "Game.desktop"));
  EXPECT_EQ(m_starter.Calls().size(), 2u);
}

TEST_F(GameLauncherTest, WindowsGameWithoutWineOrItsLocaleIsNamed) {
  Install(QStringLiteral("k"));
  QFile exe(paths::GameExecutable(QStringLiteral("k")));
  ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
  exe.write("MZ\x90\x00");
  exe.close();
  const auto restorePath = qScopeGuard([path = qgetenv("PATH")] { qputenv("PATH", path); });
  qputenv("PATH", m_home.Path().toLocal8Bit());  // no wine here

  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/..%2Fx/12345678"));
  EXPECT_TRUE(m_starter.Calls().empty());
  ASSERT_EQ(m_prompt.asked.size(), 2u);  // one notice per start, naming the game
  EXPECT_TRUE(m_prompt.asked[0][0].contains(QStringLiteral("\"Game\"")));
  EXPECT_TRUE(m_prompt.asked[0][0].contains(QStringLiteral("apt install wine")));
  EXPECT_TRUE(m_prompt.asked[1][0].contains(QStringLiteral("\"k\"")));
  EXPECT_EQ(m_prompt.asked[0].mid(2), (QStringList{"ok", "exclamation"}));

  // With wine on the PATH the same game starts.
  QFile wine(m_home.Path() + QStringLiteral("/wine"));
  ASSERT_TRUE(wine.open(QIODevice::WriteOnly));
  wine.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  wine.close();
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  EXPECT_EQ(m_starter.Calls().size(), 1u);
  EXPECT_EQ(m_prompt.asked.size(), 2u);

  // A locale the system lacks: the game starts all the same, and what to install is said
  // once in the launcher's run.
  const auto restoreLocale = qScopeGuard([] { qunsetenv("TARVEX_GAME_LOCALE"); });
  qputenv("TARVEX_GAME_LOCALE", "xx_XX.UTF-8");
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  EXPECT_EQ(m_starter.Calls().size(), 3u);
  ASSERT_EQ(m_prompt.asked.size(), 3u);
  EXPECT_TRUE(m_prompt.asked[2][0].contains(QStringLiteral("xx_XX.UTF-8")));
  EXPECT_TRUE(m_prompt.asked[2][0].contains(QStringLiteral("sudo apt-get install locales-all")));
  EXPECT_TRUE(m_prompt.asked[2][0].contains(QStringLiteral("sudo dpkg-reconfigure locales")));

  // A 32-bit game, and that wine has no 32-bit loader beside it: the commands that bring one.
  QByteArray head(0x40, '\0');
  head[0] = 'M';
  head[1] = 'Z';
  head[0x3c] = 0x40;
  ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
  exe.write(head + QByteArray("PE\0\0\x4c\x01", 6) + QByteArray(64, '\0'));
  exe.close();
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  EXPECT_EQ(m_starter.Calls().size(), 3u);
  ASSERT_EQ(m_prompt.asked.size(), 4u);
  EXPECT_TRUE(m_prompt.asked[3][0].contains(QStringLiteral("sudo dpkg --add-architecture i386")));

  // 32-bit wine installed beside it: the game starts where the kernel runs 32-bit programs;
  // where it does not, the user learns that, not the commands they have already run.
  QFile loader(m_home.Path() + QStringLiteral("/wine32"));
  ASSERT_TRUE(loader.open(QIODevice::WriteOnly));
  loader.write(QByteArray("\x7f" "ELF\x01\x01\x01") + QByteArray(100, '\0'));
  loader.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  loader.close();
  m_launcher.Launch(QStringLiteral("http://p/game_play/a/k/Game/12345678"));
  if (wine::KernelRuns32BitPrograms()) {
    EXPECT_EQ(m_starter.Calls().size(), 4u);
  } else {
    EXPECT_EQ(m_starter.Calls().size(), 3u);
    ASSERT_EQ(m_prompt.asked.size(), 5u);
    EXPECT_TRUE(m_prompt.asked[4][0].contains(QStringLiteral("IA-32")));
    EXPECT_FALSE(m_prompt.asked[4][0].contains(QStringLiteral("apt-get")));
  }
}

TEST(DesktopShortcut, ExecArgumentsAreQuotedAsOneArgument) {
  const struct {
    QString argument;
    QString quoted;
  } cases[] = {
      {"plain", "\"plain\""},
      {"two words", "\"two words\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"$HOME `id`", "\"\\$HOME \\`id\\`\""},
      {"a\\b", "\"a\\\\b\""},
      {"100% %u", "\"100%% %%u\""},
      {"'single' ; & | < > ~ * ? # ( )", "\"'single' ; & | < > ~ * ? # ( )\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument.toStdString());
    EXPECT_EQ(QuoteExecArgument(c.argument), c.quoted);
  }
}

TEST(DesktopShortcut, ValuesAreEscapedOnceMoreAsStrings) {
  const launch::Shortcut shortcut{" lead\\name", "a\\b", "/icons/x.ico", " K%"};
  const QString text = DesktopEntryText(shortcut, "/opt/Nimbo Client/NimboClient", "/opt/g");
  EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\nName=\\slead\\\\name\n"
                              "Exec=\"/opt/Nimbo Client/NimboClient\" \"a\\\\\\\\b\"\n"
                              "Comment=/opt/Nimbo Client/NimboClient\nIcon=/icons/x.ico\n"))
      << text.toStdString();
  EXPECT_TRUE(text.contains("\nStartupWMClass=\\sk%.exe\n"));
  EXPECT_TRUE(text.contains("\nX-Tarvex-Game=\\sK%\n"));
  // The key is one argument of the action, its '%' no field code.
  EXPECT_TRUE(text.contains("\nExec=\"/opt/g\" \"stop\" \" K%%\"\n")) << text.toStdString();
  const launch::Shortcut noArguments{"n", "", "i", "k"};
  EXPECT_TRUE(DesktopEntryText(noArguments, "/c", "/g").contains("\nExec=\"/c\"\n"));
}

}  // namespace
}  // namespace tarvex
