#include "ui/views/strip_view.h"

#include "browser/browser_client.h"
#include "ui/views/main_window_link.h"

#include <QResizeEvent>
#include <QWindowStateChangeEvent>

namespace tarvex {

StripView::StripView(QPoint& lastDragPoint, bool withLogo, const ViewContext& context)
    : StripWindow(lastDragPoint, withLogo), m_context(context) {}

void StripView::CloseAndReturn() {
  if (m_returned) return;
  m_returned = true;
  hide();
  deleteLater();
  m_context.mainWindow.HandBack();
}

void StripView::PlaceBrowser(std::shared_ptr<BrowserClient> client, const QString& address) {
  m_pClient = std::move(client);
  m_browserWidget = m_context.createBrowser(this, QRect(0, kStripHeight, width(), height() - kStripHeight),
                                            m_pClient, address);
}

void StripView::resizeEvent(QResizeEvent* event) {
  // The size a window is first shown with was given during set-up, before its controls
  // existed, so that size change had nothing to move.
  if (event->oldSize().isValid()) LayoutPass();
}

void StripView::changeEvent(QEvent* event) {
  StripWindow::changeEvent(event);
  // Coming back from the taskbar is a size change of its own, as on the original platform.
  if (event->type() == QEvent::WindowStateChange &&
      (static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized) && !isMinimized())
    LayoutPass();
}

void StripView::LayoutPass() {
  if (isMinimized() || !LayoutControls(width())) return;
  if (m_browserWidget) m_browserWidget->setGeometry(0, kStripHeight, width(), height() - kStripHeight);
}

}  // namespace tarvex
