#include "wine/prefix_preparation.h"

#include "install/isolated_home.h"
#include "platform/paths.h"
#include "support/wait.h"
#include "wine/program_log.h"
#include "wine/warm_prefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvex {
namespace {

// A wine installation of shell scripts: `wine wineboot MODE` records its mode and the
// environment it got, then does what the row's script says; `wineserver -k` records that
// it was called. Its setup file (share/wine/wine.inf) decides whether a prefix is stale.
class StandInWine {
 public:
  explicit StandInWine(const QString& boot) {
    const QString bin = m_root.filePath("bin/");
    QDir().mkpath(bin);
    QDir().mkpath(m_root.filePath("share/wine"));
    Write(m_root.filePath("share/wine/wine.inf"), "[Version]\n", false);
    Write(bin + "wine",
          "#!/bin/sh\n"
          "log=" + m_root.filePath("calls.log").toUtf8() + "\n"
          "echo \"$2 arch=$WINEARCH server=$WINESERVER display=$DISPLAY debug=$WINEDEBUG\" >> \"$log\"\n"
          "prefix=\"$WINEPREFIX\"\n" + boot.toUtf8(),
          true);
    Write(bin + "wineserver", "#!/bin/sh\necho \"server $1\" >> " + m_root.filePath("calls.log").toUtf8() + "\n", true);
    qputenv("TARVEX_WINE", QFile::encodeName(bin + "wine"));
  }
  ~StandInWine() { qunsetenv("TARVEX_WINE"); }

  QStringList Calls() const {
    QFile log(m_root.filePath("calls.log"));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  void ForgetCalls() { QFile::remove(m_root.filePath("calls.log")); }
  // What the installed wine would look like after an upgrade.
  void ChangeSetupFile() {
    QFile setup(m_root.filePath("share/wine/wine.inf"));
    ASSERT_TRUE(setup.open(QIODevice::ReadWrite));
    setup.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
  }
  // The pid a row's wineboot left running, if it wrote one.
  qint64 LeftRunning(const char* name = "child.pid") const {
    QFile file(m_root.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
  }
  QString Root() const { return m_root.path() + '/'; }

 private:
  static void Write(const QString& path, const QByteArray& text, bool executable) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (executable) file.setPermissions(file.permissions() | QFile::ExeOwner);
  }

  QTemporaryDir m_root;
};

constexpr char kBoots[] = "touch \"$prefix/system.reg\"\n";

TEST(PrefixPreparationTest, APreparationThatGetsThroughIsKeptAndAnyOtherEndingIsMadeAgain) {
  const std::atomic<bool> notCancelled{false};
  const struct {
    const char* name;
    const char* boot;  // what the stand-in wineboot does
    std::chrono::milliseconds limit;
    wine::Preparation outcome;
  } rows[] = {
      {"wineboot gets through", kBoots, std::chrono::seconds(20), wine::Preparation::Ready},
      {"wineboot fails", "touch \"$prefix/system.reg\"\nexit 3\n", std::chrono::seconds(20), wine::Preparation::Failed},
      // The registry appears early; wineboot still runs, with a helper of its own.
      {"wineboot runs out of time",
       "touch \"$prefix/system.reg\"\nsleep 60 &\necho $! > \"$(dirname \"$0\")/../child.pid\"\nsleep 60\n",
       std::chrono::milliseconds(1000), wine::Preparation::Failed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    testing::IsolatedHome home;
    qputenv("WINEARCH", "win32");
    qputenv("WINESERVER", "/opt/other-wine/wineserver");
    const auto restore = qScopeGuard([] {
      qunsetenv("WINEARCH");
      qunsetenv("WINESERVER");
    });
    StandInWine wine(QString::fromLatin1(row.boot));
    EXPECT_EQ(wine::CurrentPrefixState(), wine::PrefixState::Missing);
    EXPECT_EQ(wine::PreparePrefix(PreparePrefixLog(), notCancelled, row.limit), row.outcome);
    ASSERT_FALSE(wine.Calls().isEmpty());
    EXPECT_EQ(wine.Calls().first(), QStringLiteral("--init arch= server= display= debug=-all"));
    if (const qint64 child = wine.LeftRunning(); child > 0) {
      EXPECT_TRUE(testing::WaitUntil([child] { return ::kill(pid_t(child), 0) != 0; }, 5000));
    }
    if (row.outcome == wine::Preparation::Ready) {
      EXPECT_EQ(wine::CurrentPrefixState(), wine::PrefixState::Ready);
      EXPECT_TRUE(QFileInfo(paths::WinePrefixBox()).isSymLink());
      wine.ForgetCalls();
      EXPECT_EQ(wine::PreparePrefix(PreparePrefixLog(), notCancelled, row.limit), wine::Preparation::Ready);
      EXPECT_TRUE(wine.Calls().isEmpty());
      // Another wine installed since: the prefix is updated once more.
      wine.ChangeSetupFile();
      EXPECT_EQ(wine::CurrentPrefixState(), wine::PrefixState::Stale);
    } else {
      // The prefix's server and its programs were told to end; the prefix is made again.
      EXPECT_TRUE(wine.Calls().contains(QStringLiteral("server -k")));
      EXPECT_EQ(wine::CurrentPrefixState(), wine::PrefixState::Missing);
    }
    wine.ForgetCalls();
    wine::PreparePrefix(PreparePrefixLog(), notCancelled, std::chrono::milliseconds(1000));
    ASSERT_FALSE(wine.Calls().isEmpty());
    EXPECT_TRUE(wine.Calls().first().startsWith(QLatin1String("--update ")));
  }
}

TEST(PrefixPreparationTest, CancellingEndsWinebootAndWhatItStarted) {
  testing::IsolatedHome home;
  StandInWine wine(QStringLiteral(
      "touch \"$prefix/system.reg\"\nsleep 60 &\necho $! > \"$(dirname \"$0\")/../child.pid\"\nsleep 60\n"));
  std::atomic<bool> cancelled{false};
  QThread* canceller = QThread::create([&cancelled, &wine] {
    testing::WaitUntil([&wine] { return wine.LeftRunning() > 0; }, 10000);
    cancelled.store(true);
  });
  canceller->start();
  EXPECT_EQ(wine::PreparePrefix(PreparePrefixLog(), cancelled, std::chrono::seconds(30)), wine::Preparation::Cancelled);
  canceller->wait();
  delete canceller;
  const qint64 child = wine.LeftRunning();
  ASSERT_GT(child, 0);
  EXPECT_TRUE(testing::WaitUntil([child] { return ::kill(pid_t(child), 0) != 0; }, 5000));
  EXPECT_EQ(wine::CurrentPrefixState(), wine::PrefixState::Missing);
}

// A game's start and the launcher may find the prefix stale at once, in two processes: the
// second waits for the first, whose prefix it keeps, and gives up when cancelled.
TEST(PrefixPreparationTest, APreparationInAnotherProcessIsWaitedForAndKept) {
  testing::IsolatedHome home;
  StandInWine wine(QString::fromLatin1(kBoots));
  const std::atomic<bool> notCancelled{false};
  ASSERT_EQ(wine::PreparePrefix(PreparePrefixLog(), notCancelled, std::chrono::seconds(20)), wine::Preparation::Ready);
  const QString mark = paths::WinePrefix() + ".tarvex-prepared";
  const QString made = mark + ".made";
  ASSERT_TRUE(QFile::rename(mark, made));
  wine.ForgetCalls();
  // The other process holds the lock while it prepares, and marks the prefix at its end.
  const int other = ::open(QFile::encodeName(QDir(paths::WinePrefix()).absolutePath() + ".lock").constData(),
                           O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  std::atomic<wine::Preparation> outcome{wine::Preparation::Failed};
  QThread* waiting = QThread::create([&outcome, &notCancelled] {
    outcome = wine::PreparePrefix(PreparePrefixLog(), notCancelled, std::chrono::seconds(20));
  });
  waiting->start();
  // Long enough for a preparation that did not wait to have called wineboot.
  testing::WaitUntil([] { return false; }, 500);
  EXPECT_TRUE(wine.Calls().isEmpty());
  ASSERT_TRUE(QFile::rename(made, mark));
  ::close(other);
  waiting->wait();
  delete waiting;
  EXPECT_EQ(outcome.load(), wine::Preparation::Ready);
  EXPECT_TRUE(wine.Calls().isEmpty());

  ASSERT_TRUE(QFile::remove(mark));
  const int holder = ::open(QFile::encodeName(QDir(paths::WinePrefix()).absolutePath() + ".lock").constData(),
                            O_RDWR | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  const std::atomic<bool> cancelled{true};
  EXPECT_EQ(wine::PreparePrefix(PreparePrefixLog(), cancelled, std::chrono::seconds(20)), wine::Preparation::Cancelled);
  EXPECT_TRUE(wine.Calls().isEmpty());
  ::close(holder);
}

TEST(PrefixPreparationTest, ABoxFolderWithFilesInTheWayIsLeftAsItIs) {
  testing::IsolatedHome home;
  StandInWine wine(QString::fromLatin1(kBoots));
  ASSERT_TRUE(QDir().mkpath(paths::WinePrefixBox()));
  QFile saved(paths::WinePrefixBox() + "/save.dat");
  ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
  saved.close();
  const std::atomic<bool> notCancelled{false};
  EXPECT_EQ(wine::PreparePrefix(PreparePrefixLog(), notCancelled, std::chrono::seconds(20)), wine::Preparation::Failed);
  EXPECT_TRUE(saved.exists());
}

// The keeper holds the prefix's server up for as long as the launcher runs, and no longer.
TEST(WarmPrefixTest, AMissingPrefixIsPreparedThenKeptWarmUntilTheLauncherLetsGo) {
  testing::IsolatedHome home;
  StandInWine wine(QStringLiteral("case \"$1\" in\n"
                                  "  wineboot) touch \"$prefix/system.reg\" ;;\n"
                                  "  cmd.exe) echo $$ > \"$(dirname \"$0\")/../keeper.pid\"; cat > /dev/null ;;\n"
                                  "esac\n"));
  auto warm = std::make_unique<WarmPrefix>();
  warm->KeepWarm();  // nothing to keep yet
  EXPECT_FALSE(warm->IsKeeping());
  warm->Prepare();
  ASSERT_TRUE(testing::WaitUntil([&] { return warm->IsKeeping() && wine.LeftRunning("keeper.pid") > 0; }, 20000));
  EXPECT_TRUE(wine::IsPrefixReady());
  const QStringList calls = wine.Calls();
  ASSERT_FALSE(calls.isEmpty());
  EXPECT_TRUE(calls.first().startsWith(QLatin1String("--init ")));
  EXPECT_TRUE(calls.last().startsWith(QLatin1String("/k ")));
  const qint64 keeper = wine.LeftRunning("keeper.pid");
  warm.reset();
  EXPECT_TRUE(testing::WaitUntil([keeper] { return ::kill(pid_t(keeper), 0) != 0; }, 5000));
}

}  // namespace
}  // namespace tarvex
