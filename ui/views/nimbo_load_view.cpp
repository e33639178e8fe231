#include "ui/views/nimbo_load_view.h"

#include "install/download_address.h"
#include "install/wine_notice.h"
#include "platform/trace.h"
#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_background.h"
#include "ui/chrome/skin_resources.h"
#include "ui/chrome/window_dragger.h"
#include "ui/views/download_status_text.h"
#include "ui/views/main_window_link.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tarvex {
namespace {

QPoint g_lastDragPoint;

constexpr QRect kProgressRect(127, 187, 400, 4);
constexpr QRect kNoticeRect(127, 143, 400, 40);
constexpr QRect kStatusRect(77, 195, 500, 30);
constexpr int kStatusFontPixels = 11;
constexpr std::chrono::milliseconds kStatusRefresh{500};
constexpr QRect kHiddenButtonRect(591, -3, 28, 27);
constexpr QSize kHiddenButtonImageSize(20, 20);

// A thin black bar in a one-pixel frame. The trough is light grey rather than white: pure
// white is the window's transparent colour where the platform has colour keys.
constexpr char kProgressStyle[] =
    "QProgressBar { border: 1px solid rgb(96, 96, 96); background: rgb(232, 232, 232); }"
    "QProgressBar::chunk { background-color: rgb(0, 0, 0); }";

}  // namespace

NimboLoadView::NimboLoadView(const Services& services, MainWindowLink& mainWindow, QString gameKey)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_services(services),
      m_mainWindow(mainWindow),
      m_strGameKey(std::move(gameKey)) {
  setAttribute(Qt::WA_DeleteOnClose);
  m_timer1.setSingleShot(true);
  // Never early: a coarse timer may fire up to a twentieth of its interval before it.
  m_timer1.setTimerType(Qt::PreciseTimer);
  connect(&m_timer1, &QTimer::timeout, this, &NimboLoadView::StartDownload);
  m_statusTimer.setInterval(kStatusRefresh);
  connect(&m_statusTimer, &QTimer::timeout, this, &NimboLoadView::ShowStatus);
}

void NimboLoadView::OnInitDialog() {
  setWindowTitle(QStringLiteral("TarvexLOAD"));
  resize(kWidth, kHeight);
  ApplySkinBackground(this, kLoadBackgroundBitmapId);
  Trace(m_strGameKey);
  Trace(QStringLiteral("----------------game_name-------------------\n"));
  CreateControls();
  // The original window made pure white transparent through a colour key. Qt has no
  // colour-keyed windows (on X11 only whole-window opacity or an ARGB visual), and the
  // skin has no pure white, so the window stays opaque with the same look.
  new WindowDragger(this, g_lastDragPoint);
  m_timer1.start(m_startDelay);
}

void NimboLoadView::CreateControls() {
  m_progress = new QProgressBar(this);
  SetControlId(m_progress, kProgressBarId);
  m_progress->setGeometry(kProgressRect);
  m_progress->setTextVisible(false);
  // A fixed range: a bar with an empty range would show a busy animation while the size
  // of the download is still unknown.
  m_progress->setRange(0, InstallerDownload::kProgressRange);
  m_progress->setValue(0);
  m_progress->setStyleSheet(QLatin1String(kProgressStyle));

  // Hidden until there is something to say that the bar cannot show.
  m_notice = new QLabel(this);
  SetControlId(m_notice, kNoticeId);
  m_notice->setGeometry(kNoticeRect);
  m_notice->setWordWrap(true);
  m_notice->setAlignment(Qt::AlignCenter);
  // Light on the skin's dark ground.
  m_notice->setStyleSheet(QStringLiteral("color: rgb(232, 232, 232);"));
  m_notice->hide();

  // What is happening, beneath the bar; empty until the download starts.
  m_status = new QLabel(this);
  SetControlId(m_status, kStatusId);
  m_status->setGeometry(kStatusRect);
  m_status->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_status->setStyleSheet(QStringLiteral("color: rgb(232, 232, 232); font-size: %1px;").arg(kStatusFontPixels));

  // Never shown and without a command; kept so the window has the controls it always had.
  auto* button = new QPushButton(QStringLiteral("关闭"), this);
  SetControlId(button, kHiddenButtonId);
  button->setGeometry(kHiddenButtonRect);
  button->setIcon(QIcon(LoadSkinPixmap(kCloseButtonSelectedBitmapId)));
  button->setIconSize(kHiddenButtonImageSize);
  button->hide();
}

void NimboLoadView::StartDownload() {
  m_pDownloadThread =
      new InstallerDownload(DownloadAddress(m_services.hosts, m_strGameKey, m_services.clock), m_strGameKey, this);
  m_pDownloadThread->SetStallTimeout(m_stallTimeout);
  m_pDownloadThread->SetBackOffUnit(m_backOffUnit);
  m_pDownloadThread->SetFreeSpace(m_freeSpace);
  connect(m_pDownloadThread, &InstallerDownload::progressChanged, m_progress, &QProgressBar::setValue);
  connect(m_pDownloadThread, &InstallerDownload::phaseChanged, this, &NimboLoadView::OnPhaseChanged);
  connect(m_pDownloadThread, &InstallerDownload::transferChanged, this, &NimboLoadView::OnTransferChanged);
  connect(m_pDownloadThread, &InstallerDownload::finished, this, &NimboLoadView::OnFinished);
  m_sinceStart.start();
  m_pDownloadThread->Start();
  ShowStatus();
  m_statusTimer.start();
}

void NimboLoadView::OnPhaseChanged(InstallerDownload::Phase phase) {
  m_phase = phase;
  if (phase != InstallerDownload::Phase::Downloading) m_dock.Clear();
  ShowStatus();
}

void NimboLoadView::OnTransferChanged(qint64 received, qint64 total) {
  m_received = received;
  m_total = total;
  m_reported = true;
  if (total > 0) m_dock.Show(static_cast<double>(received) / static_cast<double>(total));
}

void NimboLoadView::ShowStatus() {
  TransferFigures figures{m_received, m_total, 0, std::nullopt};
  if (m_phase == InstallerDownload::Phase::Downloading && m_reported) {
    m_rate.Add(std::chrono::milliseconds(m_sinceStart.elapsed()), m_received);
    figures.bytesPerSecond = m_rate.BytesPerSecond();
    figures.secondsLeft = m_rate.SecondsLeft(m_total);
  }
  m_status->setText(DownloadPhaseText(m_phase, figures));
}

void NimboLoadView::ShowFailure(InstallerDownload::Outcome outcome) {
  // Said on the window rather than in a message box: a box's nested loop would run under a
  // window that the main window may close meanwhile. The bar shows where it stopped.
  m_status->clear();
  m_notice->setText(DownloadFailureText(outcome));
  m_notice->show();
}

void NimboLoadView::OnFinished(InstallerDownload::Outcome outcome) {
  m_statusTimer.stop();
  m_dock.Clear();
  switch (outcome) {
    case InstallerDownload::Outcome::Installed:
      m_status->setText(GameStartingText());
      break;
    case InstallerDownload::Outcome::Cancelled:
      // Closed already.
      return;
    case InstallerDownload::Outcome::WineMissing:
      ShowFailure(outcome);
      TellWineMissing(m_services.prompt, this, m_strGameKey);
      return;
    case InstallerDownload::Outcome::Wine32Missing:
      ShowFailure(outcome);
      TellWine32Missing(m_services.prompt, this, m_strGameKey);
      return;
    default:
      // The window stays as the failure left it.
      ShowFailure(outcome);
      return;
  }
  close();
  m_mainWindow.HandBack();
}

void NimboLoadView::closeEvent(QCloseEvent* event) {
  m_timer1.stop();
  m_statusTimer.stop();
  m_dock.Clear();
  if (m_pDownloadThread) {
    // Reports already on their way must not reach the closing window: a success queued
    // before the close would otherwise still hand control back.
    m_pDownloadThread->Cancel();
    m_pDownloadThread->disconnect(this);
    m_pDownloadThread->disconnect(m_progress);
  }
  event->accept();
}

}  // namespace tarvex
