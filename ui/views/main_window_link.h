#pragma once

class QWidget;

namespace tarvex {

// What the game and pay windows need of the main window when they hand control back.
// The main window implements it; the views never see its class.
class MainWindowLink {
 public:
  virtual ~MainWindowLink() = default;

  // The main window: shown again when a view closes, centred over on restore.
  virtual QWidget* MainWidget() = 0;
  // A view has ended: the main window is shown again and, shortly after, goes back to the
  // portal and asks for the user's game (which starts a client game just installed).
  virtual void HandBack() = 0;
};

}  // namespace tarvex
