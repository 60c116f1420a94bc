#include "rotaskiv/x11_windows.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace {

// xcb replies are malloc'ed.
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace

QRect fromX11Pixels(const QRect& native, const std::vector<ScreenLayout>& screens) {
  for (const ScreenLayout& screen : screens) {
    const QPoint origin = screen.geometry.topLeft();
    const qreal ratio = screen.devicePixelRatio;
    const QRect nativeScreen(origin, (QSizeF(screen.geometry.size()) * ratio).toSize());
    if (!nativeScreen.contains(native.center())) continue;
    return QRectF(QPointF(origin) + QPointF(native.topLeft() - origin) / ratio,
                  QSizeF(native.size()) / ratio)
        .toAlignedRect();
  }
  return QRect();
}

std::vector<QRect> x11WindowFrames(const std::vector<ScreenLayout>& screens) {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return {};
  xcb_connection_t* connection = x11->connection();
  const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (root == nullptr) return {};
  const Reply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection, xcb_query_tree(connection, root->root), nullptr));
  if (!tree) return {};
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  // Every question asked before any answer is awaited: one round trip, not two a window.
  std::vector<xcb_get_window_attributes_cookie_t> states;
  std::vector<xcb_get_geometry_cookie_t> places;
  for (int i = 0; i < count; ++i) {
    states.push_back(xcb_get_window_attributes(connection, children[i]));
    places.push_back(xcb_get_geometry(connection, children[i]));
  }
  std::vector<QRect> frames;
  for (int i = count - 1; i >= 0; --i) {  // the tree lists them bottom to top
    const Reply<xcb_get_window_attributes_reply_t> state(
        xcb_get_window_attributes_reply(connection, states[std::size_t(i)], nullptr));
    const Reply<xcb_get_geometry_reply_t> place(
        xcb_get_geometry_reply(connection, places[std::size_t(i)], nullptr));
    if (!state || !place || state->map_state != XCB_MAP_STATE_VIEWABLE ||
        state->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
      continue;
    const int border = place->border_width;
    const QRect frame = fromX11Pixels(
        QRect(place->x, place->y, place->width + 2 * border, place->height + 2 * border), screens);
    if (!frame.isEmpty()) frames.push_back(frame);
  }
  return frames;
}
