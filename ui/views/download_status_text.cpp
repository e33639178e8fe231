#include "ui/views/download_status_text.h"

#include "install/windows_preparation_text.h"

#include <QStringList>

namespace tarvex {
namespace {

QString TwoLines(const QString& korean, const QString& chinese) { return korean + QLatin1Char('\n') + chinese; }

// "12.3 MB / 45.6 MB · 1.2 MB/s · <left> 0:27", leaving out what is not known yet.
QString Figures(const TransferFigures& figures, const QString& timeLeftWord) {
  QStringList parts;
  parts << (figures.total >= 0 ? ByteSizeText(figures.received) + QStringLiteral(" / ") + ByteSizeText(figures.total)
                               : ByteSizeText(figures.received));
  if (figures.bytesPerSecond > 0)
    parts << ByteSizeText(static_cast<qint64>(figures.bytesPerSecond)) + QStringLiteral("/s");
  if (figures.secondsLeft) parts << timeLeftWord + QLatin1Char(' ') + DurationText(*figures.secondsLeft);
  return parts.join(QStringLiteral("  ·  "));
}

}  // namespace

QString DownloadPhaseText(InstallerDownload::Phase phase, const TransferFigures& figures) {
  switch (phase) {
    case InstallerDownload::Phase::Downloading:
      return TwoLines(QStringLiteral("다운로드 중  ") + Figures(figures, QStringLiteral("남은 시간")),
                      QStringLiteral("正在下载  ") + Figures(figures, QStringLiteral("剩余时间")));
    case InstallerDownload::Phase::Verifying:
      return TwoLines(QStringLiteral("설치 파일 확인 중…"), QStringLiteral("正在校验安装文件…"));
    case InstallerDownload::Phase::Preparing:
      return WindowsPreparationText();
    case InstallerDownload::Phase::Installing:
      return TwoLines(QStringLiteral("설치 중…"), QStringLiteral("正在安装…"));
  }
  return {};
}

QString GameStartingText() { return TwoLines(QStringLiteral("게임 시작 중…"), QStringLiteral("正在启动游戏…")); }

QString DownloadFailureText(InstallerDownload::Outcome outcome) {
  using Outcome = InstallerDownload::Outcome;
  switch (outcome) {
    case Outcome::Unreachable:
      return TwoLines(QStringLiteral("여러 번 시도했지만 서버에 연결할 수 없습니다. 네트워크를 확인하고 다시 시도해 주세요."),
                      QStringLiteral("多次尝试后仍无法连接服务器，请检查网络后重试。"));
    case Outcome::Refused:
      return TwoLines(QStringLiteral("서버가 설치 파일을 내주지 않습니다. 잠시 후 다시 시도해 주세요."),
                      QStringLiteral("服务器拒绝提供安装文件，请稍后重试。"));
    case Outcome::Corrupt:
      return TwoLines(QStringLiteral("설치 파일이 손상되어 삭제했습니다. 창을 닫고 다시 시도해 주세요."),
                      QStringLiteral("安装文件已损坏并已删除，请关闭窗口后重试。"));
    case Outcome::DiskFull:
      return TwoLines(QStringLiteral("디스크 공간이 부족합니다. 공간을 확보한 뒤 다시 시도해 주세요."),
                      QStringLiteral("磁盘空间不足，请释放空间后重试。"));
    case Outcome::WineMissing:
      return TwoLines(QStringLiteral("wine이 설치되어 있지 않아 설치 프로그램을 실행할 수 없습니다."),
                      QStringLiteral("未安装 wine，无法运行安装程序。"));
    case Outcome::Wine32Missing:
      return TwoLines(QStringLiteral("32비트 wine이 없어 설치 프로그램을 실행할 수 없습니다."),
                      QStringLiteral("缺少 32 位 wine，无法运行安装程序。"));
    case Outcome::PrepareFailed:
      return TwoLines(QStringLiteral("Windows 환경을 준비하지 못했습니다. 게임 로그를 확인해 주세요."),
                      QStringLiteral("无法准备 Windows 环境，请查看游戏日志。"));
    case Outcome::NoGame:
      return TwoLines(QStringLiteral("설치 프로그램이 게임을 설치하지 못했습니다. 게임 로그를 확인해 주세요."),
                      QStringLiteral("安装程序未能安装游戏，请查看游戏日志。"));
    case Outcome::InstallFailed:
      return TwoLines(QStringLiteral("설치 프로그램이 오류로 끝났습니다. 다시 시도하면 처음부터 설치합니다."),
                      QStringLiteral("安装程序出错退出，重试时将重新安装。"));
    case Outcome::Failed:
      return TwoLines(QStringLiteral("설치하지 못했습니다. 다시 시도해 주세요."), QStringLiteral("安装失败，请重试。"));
    case Outcome::Installed:
    case Outcome::Cancelled:
      break;
  }
  return {};
}

QString ByteSizeText(qint64 bytes) {
  constexpr double kKilo = 1024.0;
  const double value = static_cast<double>(bytes);
  if (bytes < 1024) return QStringLiteral("%1 B").arg(bytes);
  if (value < kKilo * kKilo) return QStringLiteral("%1 KB").arg(value / kKilo, 0, 'f', 1);
  if (value < kKilo * kKilo * kKilo) return QStringLiteral("%1 MB").arg(value / (kKilo * kKilo), 0, 'f', 1);
  return QStringLiteral("%1 GB").arg(value / (kKilo * kKilo * kKilo), 0, 'f', 2);
}

QString DurationText(qint64 seconds) {
  const qint64 hours = seconds / 3600;
  const qint64 minutes = seconds / 60 % 60;
  const QString secondsText = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
  if (hours > 0) return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(secondsText);
  return QStringLiteral("%1:%2").arg(minutes).arg(secondsText);
}

}  // namespace tarvex
