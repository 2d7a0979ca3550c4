#pragma once
// System-wide hot keys: a key with modifiers that reaches the program whichever window has the focus.
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <vector>

struct _XDisplay;
struct xcb_connection_t;

namespace zelpix {

// Modifier flags of a hot key, summed.
inline constexpr unsigned HotKeyAlt = 1;
inline constexpr unsigned HotKeyCtrl = 2;
inline constexpr unsigned HotKeyShift = 4;

class HotKeyService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Registers the key (a virtual-key code: 'A'..'Z', '0'..'9', F1 = 112 ...) with modifiers under id,
    // replacing what id held. False when the key has no place on this keyboard or another program holds it.
    virtual bool Register(int id, unsigned modifiers, unsigned virtualKey) = 0;
    // False when id holds no key.
    virtual bool Unregister(int id) = 0;

signals:
    void Pressed(int id, unsigned modifiers, unsigned virtualKey);
};

// Passive key grabs on the X11 root window, one for each state of Caps Lock, Num Lock and Scroll Lock; the
// key presses arrive through Qt's xcb connection. Without an X11 display every Register fails.
class X11HotKeyService final : public HotKeyService, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11HotKeyService(QObject* parent = nullptr);
    ~X11HotKeyService() override;  // releases every key

    bool Register(int id, unsigned modifiers, unsigned virtualKey) override;
    bool Unregister(int id) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        int id;
        unsigned modifiers;
        unsigned virtualKey;
        std::uint8_t keycode;
        std::uint16_t mask;  // X11 modifier mask without the locks
    };
    void Release(const Grab& grab);
    std::vector<std::uint16_t> LockVariants() const;

    _XDisplay* display_ = nullptr;
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint16_t altMask_ = 0;
    std::uint16_t numLockMask_ = 0;
    std::uint16_t scrollLockMask_ = 0;
    std::vector<Grab> grabs_;
};

}  // namespace zelpix
