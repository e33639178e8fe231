#pragma once

#include <QAbstractButton>
#include <QPixmap>

#include <array>

namespace tarvex {

// An owner-drawn bitmap button with four pixmaps: normal, selected (pressed), focus and
// disabled. Paints the pixmap of its current state unscaled from its top-left corner,
// clipped to the button; nothing when even the normal pixmap is missing.
class SkinButton final : public QAbstractButton {
  Q_OBJECT

 public:
  enum class State { Normal = 0, Selected = 1, Focus = 2, Disabled = 3 };

  // A visible child of `parent` with control id `id` at `rect` (client pixels).
  SkinButton(int id, const QRect& rect, QWidget* parent);

  // Discards all four pixmaps, then loads the bitmaps normal, selected, focus, disabled in
  // that order. Without the normal bitmap the other three stay empty; any other missing
  // bitmap leaves only its own state empty.
  void LoadBitmaps(int normal, int selected, int focus, int disabled);

  // The state whose pixmap a paint draws: selected if pressed and loaded, else focus if
  // focused and loaded, else disabled if disabled and loaded, else normal.
  State PaintedState() const;
  const QPixmap& Pixmap(State state) const { return m_pixmaps[static_cast<int>(state)]; }

  QSize sizeHint() const override { return size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<QPixmap, 4> m_pixmaps;
};

}  // namespace tarvex
