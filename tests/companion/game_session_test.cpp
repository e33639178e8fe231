#include "companion/game_session.h"

#include "install/isolated_home.h"
#include "platform/paths.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <mutex>

namespace tarvex {
namespace {

// Games run through gamemoderun when it is installed, unless the user turned GameMode off.
TEST(GameSession, GamesRunThroughGameModeUnlessItIsTurnedOff) {
  testing::IsolatedHome home;
  const QString gameModeRun = home.Path() + "/gamemoderun";
  QFile tool(gameModeRun);
  ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
  tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  tool.close();
  const auto restore = qScopeGuard([] { qunsetenv("TARVEX_GAMEMODE"); });
  ProgramCommand game{"/games/k/k", {"P"}, "/games/k", {}, {}};
  game.environment.insert("PATH", home.Path());

  const ProgramCommand wrapped = WithGameMode(game);
  EXPECT_EQ(wrapped.program, gameModeRun);
  EXPECT_EQ(wrapped.arguments, (QStringList{"/games/k/k", "P"}));
  EXPECT_EQ(wrapped.workingDirectory, "/games/k");

  qputenv("TARVEX_GAMEMODE", "0");
  EXPECT_EQ(WithGameMode(game).program, "/games/k/k");
  qunsetenv("TARVEX_GAMEMODE");
  {
    QSettings settings(paths::SettingsFile(), QSettings::IniFormat);
    settings.setValue("GameMode", false);
  }
  EXPECT_EQ(WithGameMode(game).program, "/games/k/k");
  ASSERT_TRUE(QFile::remove(paths::SettingsFile()));
  game.environment.insert("PATH", home.Path() + "/nothing-here");
  EXPECT_EQ(WithGameMode(game).program, "/games/k/k");
}

// The desktop's screen saver, as a stand-in that records what it is asked.
class FakeScreenSaver final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  QStringList Calls() const {
    const std::lock_guard lock(m_mutex);
    return m_calls;
  }

 public slots:
  uint Inhibit(const QString& application, const QString&) {
    const std::lock_guard lock(m_mutex);
    m_calls << "Inhibit " + application;
    return 42;
  }
  void UnInhibit(uint cookie) {
    const std::lock_guard lock(m_mutex);
    m_calls << "UnInhibit " + QString::number(cookie);
  }

 private:
  mutable std::mutex m_mutex;
  QStringList m_calls;
};

// The screen saver is kept off while the game runs and let go of when it ends, also when
// it crashes. The screen saver answers on a session bus of the test's own, from a thread
// of its own (the companion's calls block until answered).
TEST(GameSession, TheScreenSaverIsOffWhileTheGameRunsAndBackWhenItEnds) {
  if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) GTEST_SKIP() << "needs dbus-daemon";
  QProcess daemon;
  daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
  ASSERT_TRUE(daemon.waitForReadyRead(30000));
  const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
  const auto restore = qScopeGuard([&, saved = qgetenv("DBUS_SESSION_BUS_ADDRESS")] {
    qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
    qunsetenv("TARVEX_GAMEMODE");
    daemon.kill();
    daemon.waitForFinished();
  });
  qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
  qputenv("TARVEX_GAMEMODE", "0");

  QThread thread;
  thread.start();
  FakeScreenSaver screenSaver;
  screenSaver.moveToThread(&thread);
  bool registered = false;
  QMetaObject::invokeMethod(
      &screenSaver,
      [&] {
        QDBusConnection bus = QDBusConnection::connectToBus(address, "screen-saver");
        registered = bus.registerService("org.freedesktop.ScreenSaver") &&
                     bus.registerObject("/org/freedesktop/ScreenSaver", &screenSaver, QDBusConnection::ExportAllSlots);
      },
      Qt::BlockingQueuedConnection);
  const auto stopThread = qScopeGuard([&] {
    QMetaObject::invokeMethod(
        &screenSaver, [&] { QDBusConnection::disconnectFromBus("screen-saver"); }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
  });
  ASSERT_TRUE(registered);

  EXPECT_EQ(RunGame("/bin/sh", {"-c", "exit 3"}), 3);
  EXPECT_EQ(RunGame("/bin/sh", {"-c", "kill -SEGV $$"}), -1);
  EXPECT_EQ(screenSaver.Calls(),
            (QStringList{"Inhibit NimboClient", "UnInhibit 42", "Inhibit NimboClient", "UnInhibit 42"}));
}

}  // namespace
}  // namespace tarvex

#include "game_session_test.moc"
