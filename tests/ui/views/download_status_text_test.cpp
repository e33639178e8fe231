#include "ui/views/download_status_text.h"

#include <QSet>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using Outcome = InstallerDownload::Outcome;
using Phase = InstallerDownload::Phase;

TEST(DownloadStatusTextTest, DownloadingTellsWhatIsKnown) {
  constexpr qint64 kMiB = 1024 * 1024;
  const struct {
    TransferFigures figures;
    const char* korean;
  } rows[] = {
      {{0, -1, 0, std::nullopt}, "다운로드 중  0 B"},
      {{1536, -1, 0, std::nullopt}, "다운로드 중  1.5 KB"},
      {{12 * kMiB + kMiB / 2, 45 * kMiB, 0, std::nullopt}, "다운로드 중  12.5 MB / 45.0 MB"},
      {{12 * kMiB, 45 * kMiB, 1.2 * kMiB, std::nullopt}, "다운로드 중  12.0 MB / 45.0 MB  ·  1.2 MB/s"},
      {{12 * kMiB, 3 * 1024 * kMiB, 900, 3725}, "다운로드 중  12.0 MB / 3.00 GB  ·  900 B/s  ·  남은 시간 1:02:05"},
      {{0, 45 * kMiB, 2 * kMiB, 7}, "다운로드 중  0 B / 45.0 MB  ·  2.0 MB/s  ·  남은 시간 0:07"},
  };
  for (const auto& row : rows) {
    const QStringList lines = DownloadPhaseText(Phase::Downloading, row.figures).split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString::fromUtf8(row.korean));
    // The Chinese line carries the same figures.
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("正在下载")));
    EXPECT_EQ(lines[1].section(QStringLiteral("  "), 1, 1), lines[0].section(QStringLiteral("  "), 1, 1));
  }
}

// Every phase and failure has its own two lines; outcomes that are no failure say nothing.
TEST(DownloadStatusTextTest, EachPhaseAndFailureHasItsOwnWords) {
  QSet<QString> said;
  for (Phase phase : {Phase::Verifying, Phase::Preparing, Phase::Installing})
    said.insert(DownloadPhaseText(phase, {}));
  said.insert(GameStartingText());
  const Outcome failures[] = {Outcome::Unreachable, Outcome::Refused,       Outcome::Corrupt,
                              Outcome::DiskFull,    Outcome::WineMissing,   Outcome::Wine32Missing,
                              Outcome::PrepareFailed, Outcome::NoGame,      Outcome::InstallFailed, Outcome::Failed};
  for (Outcome failure : failures) said.insert(DownloadFailureText(failure));
  EXPECT_EQ(said.size(), 4 + int(std::size(failures)));
  for (const QString& text : said) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(text.count('\n'), 1);
    EXPECT_FALSE(text.section('\n', 1).isEmpty());
  }
  EXPECT_TRUE(DownloadFailureText(Outcome::Installed).isEmpty());
  EXPECT_TRUE(DownloadFailureText(Outcome::Cancelled).isEmpty());
  EXPECT_TRUE(DownloadFailureText(Outcome::DiskFull).contains(QStringLiteral("공간")));
  EXPECT_TRUE(DownloadFailureText(Outcome::Wine32Missing).contains(QStringLiteral("32")));
}

}  // namespace
}  // namespace tarvex
