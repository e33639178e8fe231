#include "ui/main/nimbo_client_dlg.h"

#include "browser/browser_host.h"
#include "browser/browser_runtime.h"
#include "browser/client_context.h"
#include "browser/nimbo_cef_render.h"
#include "browser/nimbo_simle_client.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/trace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace tarvex {
namespace {

const QString kTitle = QStringLiteral("Tarvex Center");

}  // namespace

CNimboClientDlg::CNimboClientDlg(const Services& services, BrowserRuntime& runtime, QStringList launchArguments)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_services(services),
      m_runtime(runtime),
      m_launchArguments(std::move(launchArguments)) {
  setWindowIcon(QIcon(QStringLiteral(":/skin/128.png")));
  m_timer1.setSingleShot(false);
  connect(&m_timer1, &QTimer::timeout, this, &CNimboClientDlg::OnTimer1);
}

CNimboClientDlg::~CNimboClientDlg() = default;

bool CNimboClientDlg::OnInitDialog() {
  resize(kWidth, kHeight);
  setFixedSize(kWidth, kHeight);
  setWindowTitle(kTitle);
  m_strArch = QStringLiteral("64");
  m_strVersion = QStringLiteral("10.02");
  CreateSkinButtons();
  CreateVersionLabel();

  m_disableGpu = 0;
  m_strLoginToken.clear();
  GetloginToken();
  SendStartPing();

  m_pClient = std::make_shared<NimboSimleClient>(
      ClientContext{m_services.prompt, m_services.defaultBrowser, *this, m_services.hosts.portal});
  NimboCefRender application;
  RuntimeSettings settings;
  settings.noSandbox = true;
  settings.multiThreadedMessageLoop = true;
  settings.logSeverity = 99;
  settings.cachePath = paths::GetBrowserCachePath();
  ReadLaunchParameter();
  application.m_disableGpu = m_disableGpu;
  application.m_flashVersion = (m_strArch + QStringLiteral("_34_0_0_201")).toStdString();
  m_runtime.Initialize(settings, application);

  m_browserWidget = CreateBrowser(m_runtime, this, QRect(0, kStripHeight, kWidth, kHeight - kStripHeight),
                                  m_pClient, StartAddress());

  // Centred on the screen's work area before it is first shown.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  return true;
}

void CNimboClientDlg::CreateSkinButtons() {}

void CNimboClientDlg::CreateVersionLabel() {
  m_versionLabel = new QLabel(QStringLiteral("V") + m_strVersion + QLatin1Char('.') + m_strArch, this);
  m_versionLabel->setObjectName(QString::number(kVersionLabelId));
  m_versionLabel->setGeometry(QRect(QPoint(1030, 12), QPoint(1100 - 1, 26 - 1)));
  QFont font(QStringLiteral("Courier New"));
  font.setPointSize(10);
  m_versionLabel->setFont(font);
  m_versionLabel->setAutoFillBackground(true);
  QPalette palette = m_versionLabel->palette();
  palette.setColor(QPalette::WindowText, QColor(157, 167, 179));
  palette.setColor(QPalette::Window, QColor(0, 0, 0));
  m_versionLabel->setPalette(palette);
}

void CNimboClientDlg::GetloginToken() {}

void CNimboClientDlg::SendStartPing() {}

void CNimboClientDlg::ReadLaunchParameter() { m_strCmdLine = m_launchArguments.join(QLatin1Char(' ')); }

QString CNimboClientDlg::StartAddress() const { return m_services.hosts.portal + QStringLiteral("/mini/index/"); }

void CNimboClientDlg::ShowPortalIndex() {
  if (m_pClient) m_pClient->LoadUrlInOwnBrowser(m_services.hosts.portal + QStringLiteral("/mini/index"));
}

void CNimboClientDlg::StartTimer1(int milliseconds) { m_timer1.start(milliseconds); }

void CNimboClientDlg::OnTimer1() {
  // Stopped before its work: a message box opened by that work must not let it fire again.
  m_timer1.stop();
  ShowPortalIndex();
  RequestGameUrl();
}

void CNimboClientDlg::RequestGameUrl() {}

void CNimboClientDlg::AskToClose() {
  const Prompt::Answer answer =
      m_services.prompt.Ask(nullptr, QStringLiteral("이 작업은 게임을 닫습니다. 계속하시겠습니까??"),
                            QStringLiteral("따뜻한 힌트"), Prompt::Buttons::YesNo, Prompt::Icon::Information);
  if (answer == Prompt::Answer::Yes) DestroyWindow();
}

void CNimboClientDlg::OnInstanceMessage() {
  // A message box runs an event loop of its own; ending under it would unwind into a
  // destroyed window. Dismiss the box and come back from the outer loop, once its loop
  // has returned.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    modal->close();
    QTimer::singleShot(0, this, &CNimboClientDlg::OnInstanceMessage);
    return;
  }
  DestroyWindow();
}

void CNimboClientDlg::DestroyWindow() {
  if (m_destroyed) return;
  m_destroyed = true;
  m_timer1.stop();
  hide();
  Q_EMIT destroyRequested();
}

void CNimboClientDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (!m_destroyed) AskToClose();
}

void CNimboClientDlg::keyPressEvent(QKeyEvent* event) {
  // Enter and Escape do nothing here (no dialog default buttons to trigger).
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void CNimboClientDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(38, 38, 48));
}

void CNimboClientDlg::OpenGameView(const QString&, int) {}

void CNimboClientDlg::OpenPayView(const QString&, int, int, const QString&) {}

void CNimboClientDlg::OpenLoadView(const QString&, const QString&) {}

void CNimboClientDlg::LaunchGame(const QString&) {}

}  // namespace tarvex
