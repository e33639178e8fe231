#include "ui/views/nimbo_game_view.h"

#include "browser/cookie_cleaner.h"
#include "browser/nimbo_game_simle_client.h"
#include "platform/default_browser.h"
#include "platform/prompt.h"
#include "ui/chrome/control_ids.h"
#include "ui/chrome/skin_resources.h"
#include "ui/chrome/tray_icon.h"
#include "ui/views/game_view_rules.h"
#include "ui/views/main_window_link.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace tarvex {
namespace {

QPoint g_lastDragPoint;

constexpr QSize kRestoreSize(1000, 700);
constexpr QPoint kTitlePosition(31, 10);

// Slots 0-8: close, maximise, minimise, tray, reload, clear cookies, service, fan page, recharge.
// The window starts filling the work area: its maximise button shows the restore glyph.
constexpr StripButtonBitmaps kButtons[] = {
    {kCloseButtonBitmapId, kCloseButtonSelectedBitmapId},
    {kRestoreButtonBitmapId, kRestoreButtonSelectedBitmapId},
    {kMinimizeButtonBitmapId, kMinimizeButtonSelectedBitmapId},
    {kTrayButtonBitmapId, kTrayButtonSelectedBitmapId},
    {kReloadButtonBitmapId, kReloadButtonSelectedBitmapId},
    {kClearCookiesButtonBitmapId, kClearCookiesButtonSelectedBitmapId},
    {kServiceButtonBitmapId, kServiceButtonSelectedBitmapId},
    {kFanPageButtonBitmapId, kFanPageButtonSelectedBitmapId},
    {kRechargeButtonBitmapId, kRechargeButtonSelectedBitmapId},
};

}  // namespace

NimboGameView::NimboGameView(const ViewContext& context, GameViewParams params)
    : StripView(g_lastDragPoint, /*withLogo=*/true, context),
      m_nOpenFlag(params.openFlag),
      m_strUrl(std::move(params.url)),
      m_strGameName(std::move(params.gameName)),
      m_strServerId(std::move(params.serverId)),
      m_strGameId(std::move(params.gameId)),
      m_strFanPage(std::move(params.fanPage)),
      m_tray(new TrayIcon(this, m_context.trayAvailable)) {
  m_timer1.setSingleShot(true);
  connect(&m_timer1, &QTimer::timeout, this, &NimboGameView::OnTimer1);
}

NimboGameView::~NimboGameView() = default;

void NimboGameView::OnInitDialog() {
  // Names the taskbar entry; the window has no caption bar.
  setWindowTitle(QStringLiteral("Tarvex游戏"));
  SetupWindow();
  CreateGameBrowser(m_strUrl);
}

void NimboGameView::SetupWindow() {
  // During a screen change there may be no screen at all: the restore size stands in.
  const QScreen* screen = QGuiApplication::primaryScreen();
  setGeometry(screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kRestoreSize));
  // The buttons sit at the window's own right edge, wherever the work area starts.
  CreateButtons(kButtons, width());
  if (m_nOpenFlag == 1) {
    Control(kCloseButtonId)->hide();
    m_timer1.start(kCloseButtonDelayMs);
  }
  ShowTitle(kTitlePosition, GameTitleText(m_strGameName, m_strServerId));
}

void NimboGameView::CreateGameBrowser(const QString& address) {
  PlaceBrowser(std::make_shared<NimboGameSimleClient>(m_context.client), GameBrowserAddress(address));
}

void NimboGameView::OnTimer1() { Control(kCloseButtonId)->show(); }

void NimboGameView::OnCommand(int id) {
  const Hosts& hosts = m_context.services.hosts;
  switch (id) {
    case kCloseButtonId:
      CloseAndReturn();
      break;
    case kMaximizeButtonId:
      ToggleMaximizeState(kRestoreSize, m_context.mainWindow.MainWidget());
      break;
    case kMinimizeButtonId:
      showMinimized();
      break;
    case kTrayButtonId:
      m_tray->Add();
      break;
    case kReloadButtonId:
      if (Client()) Client()->Reload();
      break;
    case kClearCookiesButtonId:
      AskToClearCookies();
      break;
    case kServiceButtonId:
      m_context.services.defaultBrowser.Open(ServicePageAddress(hosts.portal));
      break;
    case kFanPageButtonId:
      m_context.services.defaultBrowser.Open(FanPageAddress(hosts.social, m_strFanPage));
      break;
    case kRechargeButtonId:
      m_context.services.defaultBrowser.Open(RechargePageAddress(hosts.portal, m_strGameId, m_strServerId));
      break;
    default:
      break;
  }
}

void NimboGameView::AskToClearCookies() {
  // The question runs an event loop of its own, in which the window may be handed back
  // and destroyed: nothing more is done for a window that has gone.
  const QPointer<NimboGameView> self(this);
  const Prompt::Answer answer =
      m_context.services.prompt.Ask(this, QStringLiteral("即將清理緩存，是否繼續?"), QStringLiteral("溫馨提示"),
                                    Prompt::Buttons::YesNo, Prompt::Icon::Information);
  if (!self || answer != Prompt::Answer::Yes) return;
  // Hand back only when the cookies are gone, so the portal pages that follow neither
  // send the old ones nor lose fresh ones to the deletion.
  setEnabled(false);
  m_context.cookies.DeleteAllCookies([view = QPointer<NimboGameView>(this)] {
    if (view) view->CloseAndReturn();
  });
}

bool NimboGameView::LayoutControls(int clientWidth) {
  if (!LayoutButtons(9, clientWidth)) return false;
  // Until maximise/restore has created the marker, the pass ends here.
  QWidget* marker = Control(kMarkerButtonId);
  if (!marker) return false;
  marker->move(clientWidth, 0);
  return true;
}

void NimboGameView::closeEvent(QCloseEvent* event) {
  // As with the cookie question: a cookie deletion finishing meanwhile hands the window back
  // and destroys it.
  const QPointer<NimboGameView> self(this);
  const Prompt::Answer answer = m_context.services.prompt.Ask(
      nullptr, QStringLiteral("이 작업은 게임을 닫습니다. 계속하시겠습니까??"), QStringLiteral("따뜻한 힌트"),
      Prompt::Buttons::YesNo, Prompt::Icon::Information);
  if (!self) return;
  if (answer != Prompt::Answer::Yes) {
    event->ignore();
    return;
  }
  CloseAndReturn();
  event->accept();
}

}  // namespace tarvex
