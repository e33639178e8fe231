#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

struct xcb_connection_t;

namespace tarvex {

// The order in which the X server stacks the display's top-level windows, as the window
// manager reports it in the root window's _NET_CLIENT_LIST_STACKING, or, where no window
// manager keeps that list, as the root window's children stand. Tells when the window
// manager's list changes. Knows nothing where the platform is no X11 one (a native
// Wayland session). GUI thread only.
class WindowStacking final : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit WindowStacking(QObject* parent = nullptr);
  ~WindowStacking() override;
  WindowStacking(const WindowStacking&) = delete;
  WindowStacking& operator=(const WindowStacking&) = delete;

  // The windows from the bottom to the top (X11 window ids, as QWidget::winId() gives
  // them); empty when the order is not known.
  QList<quintptr> BottomToTop() const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 Q_SIGNALS:
  // The window manager restacked the windows.
  void changed();

 private:
  QList<quintptr> ManagedOrder() const;
  QList<quintptr> RootChildren() const;

  xcb_connection_t* m_connection = nullptr;
  quint32 m_root = 0;
  quint32 m_stackingAtom = 0;
};

}  // namespace tarvex
