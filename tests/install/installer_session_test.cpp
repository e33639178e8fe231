#include "install/installer_session.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvex {
namespace {

const std::atomic<bool> kNotCancelled{false};

using namespace std::chrono_literals;

// A self-extractor's way: the installer starts the real setup in a process group of its
// own and exits at once. The setup's name holds blanks and parentheses, as /proc shows it.
TEST(InstallerSession, LastsUntilWhatTheInstallerLeftRunningHasEnded) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString setup = dir.filePath(QStringLiteral("setup) 1 (x"));
  ASSERT_TRUE(QFile::link(QStringLiteral("/bin/sleep"), setup));
  // The setup, orphaned, becomes this process's child: once ended, it stays a zombie until
  // reaped here.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  pid_t left = 0;
  const auto end = qScopeGuard([&] {
    QFile name(QStringLiteral("/proc/%1/comm").arg(left));
    if (left > 0 && name.open(QIODevice::ReadOnly) && name.readAll() == "setup) 1 (x\n") {
      ::kill(left, SIGKILL);
      ::waitpid(left, nullptr, 0);
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
  });
  QProcess installer;
  installer.setChildProcessModifier(InstallerSession::BecomeLeader);
  const QString script = QStringLiteral("set -m; \"$0\" 60 </dev/null >/dev/null 2>&1 & echo $!");
  installer.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), script, setup});
  ASSERT_TRUE(installer.waitForStarted(10000));
  const qint64 leader = installer.processId();
  ASSERT_TRUE(installer.waitForFinished(10000));
  left = installer.readAllStandardOutput().trimmed().toInt();
  ASSERT_GT(left, 0);
  ASSERT_EQ(::getsid(left), leader);
  ASSERT_EQ(::getpgid(left), left);

  EXPECT_TRUE(InstallerSession::IsRunning(leader));
  QElapsedTimer waited;
  waited.start();
  // A wait that ignored its bound would return only once the setup ended, a minute on.
  EXPECT_FALSE(InstallerSession::WaitUntilEnded(leader, 300ms, kNotCancelled));
  EXPECT_GE(waited.elapsed(), 300);

  ASSERT_EQ(::kill(left, SIGTERM), 0);
  EXPECT_TRUE(InstallerSession::WaitUntilEnded(leader, 10s, kNotCancelled));
  EXPECT_FALSE(InstallerSession::IsRunning(leader));
}

}  // namespace
}  // namespace tarvex
