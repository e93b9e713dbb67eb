#include "window/FixedBorder.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <cstdint>
#include <cstdlib>

#include <xcb/xcb.h>

namespace zpk {

namespace {

// The functions and decorations of a fixed border in the window manager's
// Motif hints: moved and closed, never resized, minimised or maximised.
constexpr std::uint32_t kMwmHintsFunctions = 1u << 0;
constexpr std::uint32_t kMwmHintsDecorations = 1u << 1;
constexpr std::uint32_t kMwmFuncMove = 1u << 2;
constexpr std::uint32_t kMwmFuncClose = 1u << 5;
constexpr std::uint32_t kMwmDecorBorder = 1u << 1;
constexpr std::uint32_t kMwmDecorTitle = 1u << 3;
constexpr std::uint32_t kMwmDecorMenu = 1u << 4;

}  // namespace

void askForFixedBorder(QWidget& window)
{
    // Qt offers the resize function for any titled window; a fixed border
    // offers moving and closing only.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr || !window.testAttribute(Qt::WA_WState_Created))
        return;
    xcb_connection_t* connection = x11->connection();
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof(kName) - 1, kName), nullptr);
    if (reply == nullptr) return;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    const std::uint32_t hints[5] = {kMwmHintsFunctions | kMwmHintsDecorations, kMwmFuncMove | kMwmFuncClose,
                                    kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), atom,
                        atom, 32, 5, hints);
    xcb_flush(connection);
}

}  // namespace zpk
