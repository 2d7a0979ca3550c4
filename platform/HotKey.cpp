#include "platform/HotKey.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace zelpix {

namespace {

// The X11 key symbol of a virtual-key code, or NoSymbol.
KeySym SymbolOf(unsigned virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return XK_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9')
        return XK_0 + (virtualKey - '0');
    if (virtualKey >= 112 && virtualKey <= 123)
        return XK_F1 + (virtualKey - 112);
    if (virtualKey >= 96 && virtualKey <= 105)
        return XK_KP_0 + (virtualKey - 96);
    switch (virtualKey) {
    case 8: return XK_BackSpace;
    case 9: return XK_Tab;
    case 13: return XK_Return;
    case 19: return XK_Pause;
    case 27: return XK_Escape;
    case 32: return XK_space;
    case 33: return XK_Prior;
    case 34: return XK_Next;
    case 35: return XK_End;
    case 36: return XK_Home;
    case 37: return XK_Left;
    case 38: return XK_Up;
    case 39: return XK_Right;
    case 40: return XK_Down;
    case 44: return XK_Print;
    case 45: return XK_Insert;
    case 46: return XK_Delete;
    case 106: return XK_KP_Multiply;
    case 107: return XK_KP_Add;
    case 109: return XK_KP_Subtract;
    case 110: return XK_KP_Decimal;
    case 111: return XK_KP_Divide;
    case 186: return XK_semicolon;
    case 187: return XK_equal;
    case 188: return XK_comma;
    case 189: return XK_minus;
    case 190: return XK_period;
    case 191: return XK_slash;
    case 192: return XK_grave;
    case 219: return XK_bracketleft;
    case 220: return XK_backslash;
    case 221: return XK_bracketright;
    case 222: return XK_apostrophe;
    default: return NoSymbol;
    }
}

// The modifier bit that carries the key symbol in the server's modifier map, or 0.
std::uint16_t ModifierMaskOf(Display* display, KeySym symbol)
{
    const KeyCode code = XKeysymToKeycode(display, symbol);
    if (code == 0)
        return 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    std::uint16_t mask = 0;
    for (int modifier = 0; modifier < 8 && !mask; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == code)
                mask = std::uint16_t(1u << modifier);
    XFreeModifiermap(map);
    return mask;
}

constexpr std::uint16_t AllModifiers = ShiftMask | LockMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

}  // namespace

X11HotKeyService::X11HotKeyService(QObject* parent) : HotKeyService(parent)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || !x11->connection())
        return;
    display_ = x11->display();
    connection_ = x11->connection();
    root_ = std::uint32_t(DefaultRootWindow(display_));
    altMask_ = ModifierMaskOf(display_, XK_Alt_L);
    if (!altMask_)
        altMask_ = Mod1Mask;
    numLockMask_ = ModifierMaskOf(display_, XK_Num_Lock);
    scrollLockMask_ = ModifierMaskOf(display_, XK_Scroll_Lock);
    qGuiApp->installNativeEventFilter(this);
}

X11HotKeyService::~X11HotKeyService()
{
    for (const Grab& grab : grabs_)
        Release(grab);
    if (connection_) {
        xcb_flush(connection_);
        if (qGuiApp)
            qGuiApp->removeNativeEventFilter(this);
    }
}

std::vector<std::uint16_t> X11HotKeyService::LockVariants() const
{
    std::vector<std::uint16_t> variants{0};
    for (std::uint16_t lock : {std::uint16_t(LockMask), numLockMask_, scrollLockMask_}) {
        if (!lock || std::find(variants.begin(), variants.end(), lock) != variants.end())
            continue;
        const std::size_t n = variants.size();
        for (std::size_t i = 0; i < n; ++i)
            variants.push_back(variants[i] | lock);
    }
    return variants;
}

void X11HotKeyService::Release(const Grab& grab)
{
    for (std::uint16_t locks : LockVariants())
        xcb_ungrab_key(connection_, grab.keycode, root_, std::uint16_t(grab.mask | locks));
}

bool X11HotKeyService::Register(int id, unsigned modifiers, unsigned virtualKey)
{
    Unregister(id);
    if (!connection_)
        return false;
    const KeySym symbol = SymbolOf(virtualKey);
    const KeyCode keycode = symbol == NoSymbol ? 0 : XKeysymToKeycode(display_, symbol);
    if (keycode == 0)
        return false;
    std::uint16_t mask = 0;
    if (modifiers & HotKeyShift)
        mask |= ShiftMask;
    if (modifiers & HotKeyCtrl)
        mask |= ControlMask;
    if (modifiers & HotKeyAlt)
        mask |= altMask_;
    const Grab grab{id, modifiers, virtualKey, std::uint8_t(keycode), mask};

    // Every variant must be ours; a key another program holds is released again.
    bool granted = true;
    for (std::uint16_t locks : LockVariants()) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection_, 1, root_, std::uint16_t(mask | locks), keycode,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            std::free(error);
            granted = false;
        }
    }
    if (!granted) {
        Release(grab);
        xcb_flush(connection_);
        return false;
    }
    xcb_flush(connection_);
    grabs_.push_back(grab);
    return true;
}

bool X11HotKeyService::Unregister(int id)
{
    const auto it = std::find_if(grabs_.begin(), grabs_.end(), [id](const Grab& g) { return g.id == id; });
    if (it == grabs_.end())
        return false;
    Release(*it);
    xcb_flush(connection_);
    grabs_.erase(it);
    return true;
}

bool X11HotKeyService::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || grabs_.empty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
    if (press->event != root_)
        return false;
    const std::uint16_t locks = LockMask | numLockMask_ | scrollLockMask_;
    const std::uint16_t state = press->state & AllModifiers & ~locks;
    for (const Grab& grab : grabs_)
        if (grab.keycode == press->detail && grab.mask == state) {
            emit Pressed(grab.id, grab.modifiers, grab.virtualKey);
            return true;
        }
    return false;
}

}  // namespace zelpix
