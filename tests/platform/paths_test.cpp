#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {
namespace {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

 private:
  const char* m_name;
  QByteArray m_old;
  bool m_had;
};

TEST(PathsTest, FollowTheXdgFolders) {
  ScopedEnv data("XDG_DATA_HOME", "/data/home");
  ScopedEnv cache("XDG_CACHE_HOME", "/cache/home");
  EXPECT_EQ(paths::TokenFile(), QStringLiteral("/data/home/Tarvex/Box/ONEREAD.TXT"));
  EXPECT_EQ(paths::GameExecutable("hero"), QStringLiteral("/data/home/Tarvex/Box/games/hero/hero.exe"));
  EXPECT_EQ(paths::GameIcon("hero"), QStringLiteral("/data/home/Tarvex/Box/games/hero/hero.ico"));
  EXPECT_EQ(paths::InstallerPath("hero"), QStringLiteral("/cache/home/Tarvex/tmp/hero-7z.exe"));
  EXPECT_EQ(paths::GetBrowserCachePath(), QStringLiteral("/cache/home/Wexlod"));
}

TEST(PathsTest, FallBackBelowHomeWhenXdgIsUnsetOrRelative) {
  ScopedEnv home("HOME", "/home/player");
  ScopedEnv data("XDG_DATA_HOME", "relative/path");
  ScopedEnv cache("XDG_CACHE_HOME", "");
  EXPECT_EQ(paths::DataRoot(), QStringLiteral("/home/player/.local/share/Tarvex/"));
  EXPECT_EQ(paths::GetBrowserCachePath(), QStringLiteral("/home/player/.cache/Wexlod"));
}

TEST(PathsTest, InstanceSocketIsPerUserAndInTheRuntimeFolder) {
  ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1234");
  const QString socket = paths::InstanceSocket("Tarvex Center");
  EXPECT_TRUE(socket.startsWith("/run/user/1234/Tarvex Center-"));
}

// Without a runtime folder the socket and its lock go to a folder only the user can enter,
// never straight into the shared temporary folder, nor into one that someone could have
// prepared there.
TEST(PathsTest, WithoutARuntimeFolderTheSocketIsInAPrivateFolder) {
  QTemporaryDir dir;
  ScopedEnv runtime("XDG_RUNTIME_DIR", "");
  ScopedEnv temporary("TMPDIR", QFile::encodeName(dir.path()));
  ScopedEnv cache("XDG_CACHE_HOME", QFile::encodeName(dir.path() + "/cache"));
  const QString prepared = dir.path() + "/tarvex-" + QString::number(::getuid());
  const QString inCache = dir.path() + "/cache/Tarvex/run";
  const struct {
    const char* name;
    std::function<void()> prepare;
    QString folder;
  } cases[] = {
      {"made when missing", [] {}, prepared},
      {"open to others",
       [&] {
         ASSERT_TRUE(QDir().mkpath(prepared));
         ASSERT_EQ(::chmod(QFile::encodeName(prepared).constData(), 0777), 0);
       },
       inCache},
      {"a link to a private folder",
       [&] {
         ASSERT_TRUE(QDir().mkpath(dir.path() + "/mine"));
         ASSERT_TRUE(QFile::link(dir.path() + "/mine", prepared));
       },
       inCache},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(prepared).removeRecursively();
    QFile::remove(prepared);
    c.prepare();
    EXPECT_EQ(paths::InstanceSocket("Tarvex Center"), c.folder + "/Tarvex Center-" + QString::number(::getuid()));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(c.folder).constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
  // Both refused: a fresh folder of its own, never one of the refused ones.
  ASSERT_TRUE(QDir(inCache).removeRecursively());
  ASSERT_TRUE(QFile::link(dir.path() + "/mine", inCache));
  const QString socket = paths::InstanceSocket("Tarvex Center");
  EXPECT_TRUE(socket.startsWith(prepared + "-")) << socket.toStdString();
  struct stat info {};
  ASSERT_EQ(::lstat(QFile::encodeName(QFileInfo(socket).path()).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace tarvex
