#include "platform/NativeWindow.h"

#include <QGuiApplication>
#include <QWidget>

#if LUMARIK_HAVE_XCB && QT_CONFIG(xcb)
#define LUMARIK_ASK_XCB 1
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace lumarik::platform {

#if LUMARIK_ASK_XCB

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

} // namespace

std::optional<QPoint> nativeClientPosition(const QWidget& window) {
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr ||
        !window.testAttribute(Qt::WA_WState_Created)) {
        return std::nullopt;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
    if (!geometry) {
        return std::nullopt;
    }
    const ReplyPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, geometry->root, 0, 0), nullptr));
    if (!origin) {
        return std::nullopt;
    }
    return QPoint(origin->dst_x, origin->dst_y);
}

#else

std::optional<QPoint> nativeClientPosition(const QWidget& /*window*/) {
    return std::nullopt;
}

#endif

} // namespace lumarik::platform
