#pragma once

#include "ui/views/strip_view.h"

namespace tarvex {

// What the opener hands to the pay window.
struct PayViewParams {
  QString url;        // the page address as handed over
  int width = 800;    // window size at creation and after restore
  int height = 630;
  QString label;      // title label text
};

// Payment and account-login pages: a frameless window of the opener's size at (0, 0) with
// the skinned strip (gold label, close, maximise/restore, minimise) and one browser.
// Closing it, by its button or by the system, hands control back to the main window. It
// deletes itself when it closes; each opening makes a new one.
class NimboPayView final : public StripView {
  Q_OBJECT

 public:
  NimboPayView(const ViewContext& context, PayViewParams params);

  // Sets the window up, starts its browser and shows the main window; the opener then
  // sets its caption and shows it.
  void OnInitDialog();

  const QString& Url() const { return m_strUrl; }

 protected:
  void OnCommand(int id) override;
  bool LayoutControls(int clientWidth) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetupWindow();
  void CreatePayBrowser(const QString& address);

  QString m_strUrl;
  int m_nWidth;
  int m_nHeight;
  QString m_strLabel;
};

}  // namespace tarvex
