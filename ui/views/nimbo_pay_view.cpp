#include "ui/views/nimbo_pay_view.h"

#include "browser/nimbo_pay_simle_client.h"
#include "ui/chrome/control_ids.h"
#include "ui/chrome/maximize_toggle.h"
#include "ui/chrome/skin_button.h"
#include "ui/chrome/skin_resources.h"
#include "ui/views/main_window_link.h"

#include <QCloseEvent>
#include <QPointer>

namespace tarvex {
namespace {

QPoint g_lastDragPoint;

constexpr QPoint kTitlePosition(10, 8);
// Slots 0-2: close, maximise (the window starts at its restore size), minimise.
constexpr StripButtonBitmaps kButtons[] = {
    {kCloseButtonBitmapId, kCloseButtonSelectedBitmapId},
    {kMaximizeButtonBitmapId, kMaximizeButtonSelectedBitmapId},
    {kMinimizeButtonBitmapId, kMinimizeButtonSelectedBitmapId},
};

}  // namespace

NimboPayView::NimboPayView(const ViewContext& context, PayViewParams params)
    : StripView(g_lastDragPoint, /*withLogo=*/false, context),
      m_strUrl(std::move(params.url)),
      m_nWidth(params.width),
      m_nHeight(params.height),
      m_strLabel(std::move(params.label)) {}

void NimboPayView::OnInitDialog() {
  setWindowTitle(QStringLiteral("Tarvex Center"));
  SetupWindow();
  CreatePayBrowser(m_strUrl);
}

void NimboPayView::SetupWindow() {
  setGeometry(0, 0, m_nWidth, m_nHeight);
  CreateButtons(kButtons, m_nWidth);
  Button(kMaximizeButtonId)->setText(QLatin1String(kMaxStateText));
  ShowTitle(kTitlePosition, m_strLabel);
}

void NimboPayView::CreatePayBrowser(const QString& address) {
  auto closeAndReturn = [view = QPointer<NimboPayView>(this)] {
    if (view) view->CloseAndReturn();
  };
  // The openers always hand over an address with a query.
  PlaceBrowser(std::make_shared<NimboPaySimleClient>(m_context.client, closeAndReturn), address + QStringLiteral("&v=2"));
  // A payment or login page belongs to the portal session the main window shows: the main
  // window comes back with it, even from hidden (a game window had hidden it), so that the
  // user returns to the portal when the pay window closes.
  if (QWidget* main = m_context.mainWindow.MainWidget()) main->show();
}

void NimboPayView::OnCommand(int id) {
  switch (id) {
    case kCloseButtonId:
      CloseAndReturn();
      break;
    case kMaximizeButtonId:
      ToggleMaximizeState(QSize(m_nWidth, m_nHeight), m_context.mainWindow.MainWidget());
      break;
    case kMinimizeButtonId:
      showMinimized();
      break;
    default:
      break;
  }
}

bool NimboPayView::LayoutControls(int clientWidth) { return LayoutButtons(3, clientWidth); }

void NimboPayView::closeEvent(QCloseEvent* event) {
  // A close request from the system ends the window like its close button.
  CloseAndReturn();
  event->accept();
}

}  // namespace tarvex
