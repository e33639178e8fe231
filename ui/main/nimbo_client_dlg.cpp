#include "ui/main/nimbo_client_dlg.h"

#include "browser/browser_host.h"
#include "browser/browser_runtime.h"
#include "browser/client_context.h"
#include "browser/cookie_cleaner.h"
#include "browser/nimbo_cef_render.h"
#include "browser/nimbo_simle_client.h"
#include "browser/portal_outage_page.h"
#include "platform/paths.h"
#include "platform/privileges.h"
#include "platform/prompt.h"
#include "platform/trace.h"
#include "platform/window_registry.h"
#include "portal/address_field.h"
#include "portal/game_url_decision.h"
#include "portal/game_url_request.h"
#include "portal/launch_parameter.h"
#include "portal/login_token_reader.h"
#include "portal/start_ping.h"
#include "portal/url_decode.h"
#include "ui/chrome/control_lookup.h"
#include "ui/chrome/skin_resources.h"
#include "ui/main/game_url_carry_out.h"
#include "ui/main/main_window_skin.h"
#include "ui/views/nimbo_game_view.h"
#include "ui/views/nimbo_load_view.h"
#include "ui/views/nimbo_pay_view.h"
#include "ui/views/view_context.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>

namespace tarvex {
namespace {

const QString kTitle = QStringLiteral("Tarvex Center");
const QString kApplicationName = QStringLiteral("NimboClient");
constexpr int kStartTimer1Ms = 3000;
// How long the browser waits for the start ping, so that on a responsive portal the ping
// still arrives before the browser's first request, and for the window's first paint.
constexpr int kBrowserDueMs = 1000;
constexpr int kPaintWaitCapMs = 4000;
// The game name keeps at most this many characters before it is decoded: the size the name
// field has always had (a 260-character buffer with its terminator), which the portal's
// names are made to fit.
constexpr int kGameNameLimit = 259;

PortalTransportOptions TransportOptions(const Hosts& hosts) {
  PortalTransportOptions options;
  options.host = hosts.portal;
  options.userAgent = kApplicationName;
  return options;
}

}  // namespace

QPoint CNimboClientDlg::s_lastDragPoint;

CNimboClientDlg::CNimboClientDlg(const Services& services, BrowserRuntime& runtime, WindowRegistry& windows,
                                 QStringList launchArguments, QString receivedToken)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_services(services),
      m_runtime(runtime),
      m_windows(windows),
      m_launchArguments(std::move(launchArguments)),
      m_strReceivedToken(std::move(receivedToken)),
      m_launcher(*this, services.prompt, services.programStarter) {
  setWindowIcon(QIcon(QPixmap::fromImage(LoadPngResource(kAppIconId))));
  connect(&m_timer1, &QTimer::timeout, this, &CNimboClientDlg::OnTimer1);
  m_gameUrlRequest = new GameUrlRequest(TransportOptions(m_services.hosts), this);
  connect(m_gameUrlRequest, &GameUrlRequest::Finished, this, &CNimboClientDlg::OnGameUrlAnswer);
  m_startPing = new StartPing(TransportOptions(m_services.hosts), this);
  connect(m_startPing, &StartPing::Finished, this, &CNimboClientDlg::RequestBrowserWhenDue);
  m_browserDue.setSingleShot(true);
  connect(&m_browserDue, &QTimer::timeout, this, [this] {
    // A window that is not exposed (started minimised, on another workspace) is never
    // painted; an exposed one is, however busy the machine, but not waited for forever.
    const bool exposed = windowHandle() && windowHandle()->isExposed();
    if (!m_painted && exposed && !m_pingWaitOver) {
      m_pingWaitOver = true;
      m_browserDue.start(kPaintWaitCapMs);
      return;
    }
    m_pingWaitOver = true;
    m_painted = true;
    RequestBrowserWhenDue();
  });
}

CNimboClientDlg::~CNimboClientDlg() = default;

bool CNimboClientDlg::OnInitDialog() {
  setFixedSize(kWidth, kHeight);
  setWindowTitle(kTitle);
  m_strArch = QStringLiteral("64");
  m_strVersion = QStringLiteral("10.02");
  CreateSkinButtons();
  CreateVersionLabel();
  PrepareWindowForLaterBrowser(this);

  m_disableGpu = 0;
  m_strLoginToken.clear();
  GetloginToken();
  SendStartPing();
  m_browserDue.start(kBrowserDueMs);

  // Centred on the screen's work area before it is first shown.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
  return true;
}

bool CNimboClientDlg::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::Paint && !m_painted) {
    m_painted = true;
    // After this paint has reached the screen: the engine's start blocks for a while.
    QTimer::singleShot(0, this, &CNimboClientDlg::RequestBrowserWhenDue);
  }
  return handled;
}

void CNimboClientDlg::RequestBrowserWhenDue() {
  if (m_browserRequested || m_destroyed || !m_painted) return;
  if (m_startPing->IsRunning() && !m_pingWaitOver) return;
  m_browserRequested = true;
  m_browserDue.stop();
  Q_EMIT browserRequested();
}

void CNimboClientDlg::CreateMainBrowser() {
  if (m_pClient || m_destroyed) return;
  m_pClient = std::make_shared<NimboSimleClient>(RoutingContext());
  NimboCefRender application;
  RuntimeSettings settings;
  // Chromium's sandbox stays on; it cannot work for root.
  settings.noSandbox = IsRunningAsRoot();
  settings.logSeverity = 99;
  settings.cachePath = paths::GetBrowserCachePath();
  ReadLaunchParameter();
  application.m_disableGpu = m_disableGpu;
  application.m_flashVersion = (m_strArch + QStringLiteral("_34_0_0_201")).toStdString();
  m_runtime.Initialize(settings, application);

  m_browserWidget = CreateBrowser(m_runtime, this, QRect(0, kStripHeight, kWidth, kHeight - kStripHeight),
                                  m_pClient, StartAddress());
  new PortalOutagePage(m_browserWidget, m_services.hosts.portal);
  WhenFirstLoaded(m_browserWidget, this, [this] { Q_EMIT portalPageLoaded(); });
  m_coveredPage.SetBrowser(m_browserWidget);
  if (IsUsableToken(m_strLoginToken)) StartTimer1(kStartTimer1Ms);
}

void CNimboClientDlg::CreateSkinButtons() {
  ApplyMainWindowSkin(this, s_lastDragPoint, [this](int id) { OnCommand(id); });
}

void CNimboClientDlg::CreateVersionLabel() {
  m_versionLabel = new QLabel(QStringLiteral("V") + m_strVersion + QLatin1Char('.') + m_strArch, this);
  SetControlId(m_versionLabel, kVersionLabelId);
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

void CNimboClientDlg::GetloginToken() {
  m_strLoginToken = LoginTokenReader(m_services.prompt, kApplicationName).GetloginToken();
  // A token file left for this start is newer than any token handed on.
  if (m_strLoginToken.isEmpty()) m_strLoginToken = m_strReceivedToken;
}

void CNimboClientDlg::SendStartPing() {
  if (!IsUsableToken(m_strLoginToken)) return;
  if (LeadingDecimalValue(AddressField(m_strGameUrl, 6)) == 121) m_disableGpu = 1;
  m_startPing->Start(StartPingTarget(m_strGameUrl), m_strLoginToken);
}

void CNimboClientDlg::ReadLaunchParameter() {
  m_strCmdLine = LaunchParameterFromArguments(m_launchArguments);
  if (ParameterDisablesGpu(m_strCmdLine)) m_disableGpu = 1;
}

QString CNimboClientDlg::StartAddress() const {
  return tarvex::StartAddress(m_services.hosts.portal, m_strLoginToken, m_strCmdLine);
}

void CNimboClientDlg::ShowPortalIndex() {
  if (!m_pClient) return;
  // The index never loads into a frozen page, whatever still covers the window.
  m_coveredPage.Wake();
  m_pClient->LoadUrlInOwnBrowser(m_services.hosts.portal + QStringLiteral("/mini/index"));
}

void CNimboClientDlg::StartTimer1(int milliseconds) { m_timer1.start(milliseconds); }

void CNimboClientDlg::HandBack() {
  show();
  StartTimer1(kHandBackDelayMs);
}

void CNimboClientDlg::OnTimer1() {
  // Stopped before its work: a message box opened by that work must not let it fire again.
  m_timer1.stop();
  ShowPortalIndex();
  RequestGameUrl();
}

void CNimboClientDlg::RequestGameUrl() {
  // The transfer runs on a worker; the answer comes back to OnGameUrlAnswer.
  m_gameUrlRequest->Start(m_strLoginToken);
}

void CNimboClientDlg::OnGameUrlAnswer(const GameUrlDecision& decision) {
  CarryOutGameUrlDecision(decision, m_strGameUrl, *this, [this] { showMinimized(); });
}

void CNimboClientDlg::OnCommand(int id) {
  switch (id) {
    case kMainCloseButtonId:
      AskToClose();
      break;
    case kMainMinimizeButtonId:
      showMinimized();
      break;
    case kMainClearCacheButtonId: {
      if (!m_runtime.IsInitialized()) break;  // no profile yet, so no cookies either
      // The index is loaded only once the old cookies are really gone.
      const QPointer<CNimboClientDlg> self(this);
      m_runtime.Cookies().DeleteHostCookies(m_services.hosts.portal, [self] {
        if (self) self->ShowPortalIndex();
      });
      break;
    }
    case kMainHomeButtonId:
      ShowPortalIndex();
      break;
    default:
      break;
  }
}

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

void CNimboClientDlg::OpenGameView(const QString& address, int openFlag) {
  Trace(QStringLiteral("----------------OpenGameView-----ShowWindow(SW_HIDE)-------------\n-"));
  GameViewParams params;
  params.url = address;
  params.openFlag = openFlag;
  if (openFlag != 0) {
    hide();
    // Shown again in its last normal state (a minimised window comes back), not activated.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    setAttribute(Qt::WA_ShowWithoutActivating);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
  }
  Trace(address);
  params.gameId = AddressField(address, 6);
  params.serverId = AddressField(address, 7);
  params.fanPage = AddressField(address, 9);
  params.gameName = UrlDecode(AddressField(address, 8).left(kGameNameLimit));
  auto* view = m_windows.Add(WindowRegistry::Kind::Game, new NimboGameView(ChildWindowContext(), params));
  view->OnInitDialog();
  m_coveredPage.Watch(view);
  view->show();
  Trace(QStringLiteral("----------------OpenGameView------------------\n-"));
}

void CNimboClientDlg::OpenPayView(const QString& address, int width, int height, const QString& label) {
  if (QWidget* open = m_windows.Shown(WindowRegistry::Kind::Pay)) {
    // One pay window at a time: an open one keeps its page, size and label.
    open->hide();
    open->show();
    Trace(QStringLiteral("----------------OpenPayView------SW_SHOW-----------\n-"));
    return;
  }
  PayViewParams params;
  params.url = address;
  params.width = width;
  params.height = height;
  params.label = label;
  auto* view = m_windows.Add(WindowRegistry::Kind::Pay, new NimboPayView(ChildWindowContext(), params));
  view->OnInitDialog();
  view->setWindowTitle(QStringLiteral("Tarvex 게임 센타"));
  view->show();
  Trace(QStringLiteral("----------------OpenPayView-----------------\n-"));
}

// The launch parameters are not kept: the hand-back's request brings them again, and its
// answer starts the installed game.
void CNimboClientDlg::OpenLoadView(const QString& gameKey, const QString&) {
  if (QWidget* open = m_windows.Shown(WindowRegistry::Kind::Download)) {
    // One download at a time: the open window keeps its game.
    open->hide();
    open->show();
    Trace(QStringLiteral("----------------OpenLoadView------SW_SHOW-----------\n-"));
    return;
  }
  auto* view = m_windows.Add(WindowRegistry::Kind::Download, new NimboLoadView(m_services, *this, gameKey));
  view->OnInitDialog();
  view->show();
}

ClientContext CNimboClientDlg::RoutingContext() {
  return ClientContext{m_services.prompt, m_services.defaultBrowser, *this, m_windows, m_services.hosts.portal};
}

ViewContext CNimboClientDlg::ChildWindowContext() {
  return ViewContext{m_services, RoutingContext(), *this, m_runtime.Cookies(), RuntimeBrowserFactory(m_runtime)};
}

void CNimboClientDlg::LaunchGame(const QString& launchAddress) { m_launcher.Launch(launchAddress); }

}  // namespace tarvex
