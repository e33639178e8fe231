#include "platform/window_stacking.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace tarvex {
namespace {

// Replies from libxcb are malloc'ed.
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Own(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

// More windows than any desktop stacks.
constexpr quint32 kWindowLimit = 4096;

}  // namespace

WindowStacking::WindowStacking(QObject* parent) : QObject(parent) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return;
  m_connection = x11->connection();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
  if (!screen) {
    m_connection = nullptr;
    return;
  }
  m_root = screen->root;
  static constexpr char kStackingName[] = "_NET_CLIENT_LIST_STACKING";
  const auto atom = Own(xcb_intern_atom_reply(
      m_connection, xcb_intern_atom(m_connection, 0, sizeof(kStackingName) - 1, kStackingName), nullptr));
  if (atom) m_stackingAtom = atom->atom;
  // The root window's property changes come to this client as well (added to what it
  // already asks for; Qt asks for them too).
  const auto attributes =
      Own(xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, m_root), nullptr));
  const quint32 mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(m_connection);
  QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowStacking::~WindowStacking() {
  if (m_connection && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

QList<quintptr> WindowStacking::BottomToTop() const {
  if (!m_connection) return {};
  QList<quintptr> order = ManagedOrder();
  return order.isEmpty() ? RootChildren() : order;
}

QList<quintptr> WindowStacking::ManagedOrder() const {
  if (m_stackingAtom == 0) return {};
  const auto reply = Own(xcb_get_property_reply(
      m_connection, xcb_get_property(m_connection, 0, m_root, m_stackingAtom, XCB_ATOM_WINDOW, 0, kWindowLimit),
      nullptr));
  QList<quintptr> order;
  if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32) return order;
  const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / static_cast<int>(sizeof(xcb_window_t));
  for (int i = 0; i < count; ++i) order.append(windows[i]);
  return order;
}

QList<quintptr> WindowStacking::RootChildren() const {
  const auto reply = Own(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
  QList<quintptr> order;
  if (!reply) return order;
  const xcb_window_t* children = xcb_query_tree_children(reply.get());
  for (int i = 0; i < xcb_query_tree_children_length(reply.get()); ++i) order.append(children[i]);
  return order;
}

bool WindowStacking::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || m_stackingAtom == 0) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
  const auto* property = static_cast<const xcb_property_notify_event_t*>(message);
  if (property->window == m_root && property->atom == m_stackingAtom) Q_EMIT changed();
  return false;
}

}  // namespace tarvex
