#include "companion/game_removal.h"

#include "install/desktop_shortcut.h"
#include "install/isolated_home.h"
#include "install/launch_decision.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

void Write(const QString& path, const QByteArray& bytes = "x") {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

bool IsThere(const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); }

// Uninstalling removes the game's folder and what the launcher made for that game, and
// nothing that only sits beside it, is reached through a link, or belongs to another game.
TEST(GameRemoval, RemovesTheGameAndWhatWasMadeForItAndNothingElse) {
  testing::IsolatedHome home;
  const QString game = paths::GameFolder("hero");
  Write(paths::GameExecutable("hero"));
  Write(game + "saves/slot1.sav");
  Write(game + ".hidden");
  const QString outside = home.Path() + "/outside/";
  Write(outside + "keep.txt");
  ASSERT_TRUE(QFile::link(outside, game + "saves/linked-folder"));
  ASSERT_TRUE(QFile::link(outside + "keep.txt", game + "linked-file"));
  ASSERT_TRUE(QFile::link(home.Path() + "/nowhere", game + "broken-link"));
  const QString beside = paths::GamesFolder() + "notes.txt";
  Write(beside);
  Write(paths::GameExecutable("hero2"));
  Write(paths::TokenFile());
  Write(paths::WinePrefix() + "system.reg");

  const launch::Shortcut hero{"Hero", "a", "i", "hero"}, other{"Hero 2", "a", "i", "hero2"};
  ASSERT_TRUE(WriteDesktopShortcut(hero));
  ASSERT_TRUE(WriteMenuEntry(hero));
  ASSERT_TRUE(WriteDesktopShortcut(other));
  ASSERT_TRUE(WriteMenuEntry(other));
  // Entries the launcher did not write for this game: one that only mentions the key,
  // and a link to the game's own entry.
  const QString foreign = home.Desktop() + "foreign.desktop";
  Write(foreign, "[Desktop Entry]\nName=X\nExec=x\n# X-Tarvex-Game=hero\nX-Tarvex-Game=hero \n");
  const QString linkedEntry = home.Desktop() + "linked.desktop";
  ASSERT_TRUE(QFile::link(home.Desktop() + "Hero.desktop", linkedEntry));
  Write(paths::ThemeIcon("hero", 32));
  Write(paths::ThemeIcon("hero", 256));
  Write(paths::ThemeIcon("hero2", 32));
  Write(paths::ProgramLog("hero"));
  Write(paths::ProgramLog("hero2"));
  Write(paths::InstallerLock("hero"), "");

  EXPECT_TRUE(RemoveEntries(RemovalList("hero")).isEmpty());

  for (const QString& gone : {game.chopped(1), home.Desktop() + "Hero.desktop", paths::MenuEntry("hero"),
                              paths::ThemeIcon("hero", 32), paths::ThemeIcon("hero", 256), paths::ProgramLog("hero"),
                              paths::InstallerLock("hero")})
    EXPECT_FALSE(IsThere(gone)) << gone.toStdString();
  for (const QString& kept : {outside + "keep.txt", beside, paths::GameExecutable("hero2"), paths::TokenFile(),
                              paths::WinePrefix() + "system.reg", home.Desktop() + "Hero 2.desktop",
                              paths::MenuEntry("hero2"), paths::ThemeIcon("hero2", 32), paths::ProgramLog("hero2"),
                              foreign, linkedEntry})
    EXPECT_TRUE(IsThere(kept)) << kept.toStdString();
  // Nothing of the game is left to find.
  EXPECT_EQ(RemovalList("hero"), QStringList());
}

// A link in place of the game's folder is removed as a link; its target stays whole.
TEST(GameRemoval, AGameFolderThatIsALinkGoesAsTheLinkAlone) {
  testing::IsolatedHome home;
  const QString elsewhere = home.Path() + "/elsewhere/";
  Write(elsewhere + "hero.exe");
  ASSERT_TRUE(QDir().mkpath(paths::GamesFolder()));
  ASSERT_TRUE(QFile::link(elsewhere, paths::GameFolder("hero").chopped(1)));
  EXPECT_EQ(RemovalList("hero"), QStringList{paths::GameFolder("hero").chopped(1)});
  EXPECT_TRUE(RemoveEntries(RemovalList("hero")).isEmpty());
  EXPECT_TRUE(QFile::exists(elsewhere + "hero.exe"));
}

}  // namespace
}  // namespace tarvex
