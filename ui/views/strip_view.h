#pragma once

#include "ui/chrome/strip_window.h"
#include "ui/views/view_context.h"

#include <QPointer>

#include <memory>

namespace tarvex {

class BrowserClient;

// A strip window with one browser below its 30-pixel strip, opened by the main window and
// handing control back to it: the common part of the game and pay windows.
class StripView : public StripWindow {
  Q_OBJECT

 public:
  static constexpr int kStripHeight = 30;

  // Ends the window and hands back to the main window; the window is destroyed once the
  // running handler has returned. Runs once.
  void CloseAndReturn();

  // The browser's widget; null before it is created or after it went away.
  QWidget* BrowserWidget() const { return m_browserWidget; }
  BrowserClient* Client() const { return m_pClient.get(); }

 protected:
  StripView(QPoint& lastDragPoint, bool withLogo, const ViewContext& context);

  // Creates the browser at (0, 30) over the rest of the client area.
  void PlaceBrowser(std::shared_ptr<BrowserClient> client, const QString& address);

  // Moves the strip's controls for client width `clientWidth`; false stops the layout pass
  // there, before the browser is resized.
  virtual bool LayoutControls(int clientWidth) = 0;

  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

  ViewContext m_context;

 private:
  void LayoutPass();

  std::shared_ptr<BrowserClient> m_pClient;
  QPointer<QWidget> m_browserWidget;
  bool m_returned = false;
};

}  // namespace tarvex
