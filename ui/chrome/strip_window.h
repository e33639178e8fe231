#pragma once

#include "ui/chrome/title_strip.h"

#include <QWidget>

#include <span>

namespace tarvex {

class SkinButton;
class TitleLabel;

// Bitmaps of one title-strip button; its focus bitmap is the normal one and its disabled
// bitmap the selected one.
struct StripButtonBitmaps {
  int normal;
  int selected;
};

// The frameless top-level window with the 30-pixel skinned strip that the game and pay
// windows share: the title-strip image (and logo), the gold title label, the row of skin
// buttons 20001, 20002, ... numbered by slot, dragging by the background, maximise/restore
// and the layout of the buttons. Clicks on the buttons arrive as OnCommand(id).
class StripWindow : public QWidget {
  Q_OBJECT

 public:
  // The direct child control with this id, or null.
  QWidget* Control(int id) const;
  SkinButton* Button(int id) const;
  TitleLabel* Label() const { return m_label; }

 protected:
  // `lastDragPoint` is the concrete window class's shared last cursor point.
  StripWindow(QPoint& lastDragPoint, bool withLogo);

  virtual void OnCommand(int id) = 0;

  // Creates the buttons 20001 + slot in slot order at their creation rectangles,
  // right-aligned to `right`.
  void CreateButtons(std::span<const StripButtonBitmaps> bitmaps, int right);
  // Moves the title label to `position` (keeping its size) and sets its text.
  void ShowTitle(QPoint position, const QString& text);
  // Moves the controls 20001 ... 20000 + count to their layout positions for client width
  // `clientWidth`, in that order; false, and the rest left alone, at the first missing one.
  bool LayoutButtons(int count, int clientWidth);
  // Maximise/restore with the state held by button 20002.
  void ToggleMaximizeState(QSize restoreSize, QWidget* owner);

  void paintEvent(QPaintEvent* event) override;

 private:
  TitleStrip m_titleStrip;
  TitleLabel* m_label;
};

}  // namespace tarvex
