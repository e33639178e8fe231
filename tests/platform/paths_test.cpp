#include "platform/paths.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarvex
