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
  // Starts (or restarts with the new period) the main window's timer 1.
  virtual void StartTimer1(int milliseconds) = 0;
};

}  // namespace tarvex
