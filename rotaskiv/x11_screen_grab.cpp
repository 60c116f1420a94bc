#include "rotaskiv/x11_screen_grab.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QtEndian>
#include <cstdlib>
#include <memory>

namespace {

// xcb replies and errors are malloc'ed.
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// Whether the root window's pixels are what QImage::Format_RGB32 holds in
// this machine's memory: 24 bits of red, green and blue in 32-bit words of
// this machine's byte order.
bool rootIsRgb32(const xcb_setup_t* setup, const xcb_screen_t* screen) {
  const auto order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                   : XCB_IMAGE_ORDER_MSB_FIRST;
  if (setup->image_byte_order != order || screen->root_depth != 24) return false;
  bool wordPerPixel = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f))
    if (f.data->depth == 24) wordPerPixel = f.data->bits_per_pixel == 32;
  if (!wordPerPixel) return false;
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem > 0; xcb_depth_next(&d))
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v))
      if (v.data->visual_id == screen->root_visual)
        return v.data->red_mask == 0xFF0000u && v.data->green_mask == 0xFF00u &&
               v.data->blue_mask == 0xFFu;
  return false;
}

void detachMemory(void* memory) { shmdt(memory); }

}  // namespace

QImage x11SharedMemoryGrab(const QRect& native) {
  const auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr || native.isEmpty()) return {};
  xcb_connection_t* connection = x11->connection();
  const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
  if (shm == nullptr || shm->present == 0) return {};
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
  if (screen == nullptr || !rootIsRgb32(setup, screen) ||
      !QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels).contains(native))
    return {};

  const qsizetype bytesPerLine = qsizetype(native.width()) * 4;
  const size_t size = size_t(bytesPerLine) * size_t(native.height());
  const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
  if (id < 0) return {};
  void* memory = shmat(id, nullptr, 0);
  if (memory == reinterpret_cast<void*>(-1)) {
    shmctl(id, IPC_RMID, nullptr);
    return {};
  }
  // A remote server cannot attach our memory: it answers with an error.
  const xcb_shm_seg_t segment = xcb_generate_id(connection);
  const Reply<xcb_generic_error_t> refused(
      xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, id, 0)));
  // Both sides have it now, or the server never will: the segment goes away
  // with the last detach, even should this process end abruptly.
  shmctl(id, IPC_RMID, nullptr);
  if (refused) {
    shmdt(memory);
    return {};
  }
  const Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
      connection,
      xcb_shm_get_image(connection, screen->root, qint16(native.x()), qint16(native.y()),
                        quint16(native.width()), quint16(native.height()), ~0u,
                        XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
      nullptr));
  xcb_shm_detach(connection, segment);
  xcb_flush(connection);
  if (!reply || reply->depth != 24 || reply->size != size) {
    shmdt(memory);
    return {};
  }
  QImage image(static_cast<uchar*>(memory), native.width(), native.height(), bytesPerLine,
               QImage::Format_RGB32, detachMemory, memory);
  // The server leaves the fourth byte of a pixel undefined; 32-bit RGB
  // pictures hold 0xFF there.
  auto* pixels = reinterpret_cast<quint32*>(memory);
  const size_t count = size / 4;
  for (size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
  return image;
}
