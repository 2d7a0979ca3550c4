// Global hot keys on a real X server (Xvfb), pressed with xdotool.
#include "platform/HotKey.h"

#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// Another client of the same display; it can hold Ctrl+Alt+Z.
class OtherClient {
public:
    OtherClient() : connection_(xcb_connect(nullptr, nullptr))
    {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        Display* display = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
        z_ = XKeysymToKeycode(display, XK_z);
    }
    // Lets go before disconnecting, so that the server has released the key when this returns.
    ~OtherClient()
    {
        free(xcb_request_check(connection_, xcb_ungrab_key_checked(connection_, z_, root_,
                                                                   XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)));
        xcb_disconnect(connection_);
    }
    bool Ok() const { return !xcb_connection_has_error(connection_); }
    // False when someone else holds the key.
    bool GrabCtrlAltZ()
    {
        xcb_generic_error_t* error = xcb_request_check(
            connection_, xcb_grab_key_checked(connection_, 1, root_, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, z_,
                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        free(error);
        return error == nullptr;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_keycode_t z_;
};

class HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "needs an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)";
        if (!HaveTool("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
    }

    static void Press(const std::string& keys)
    {
        ASSERT_EQ(RunCommand("xdotool key --delay 20 " + keys), 0) << keys;
    }
};

struct PressCase {
    const char* name;
    const char* locks;    // lock keys switched on before the press (and off after)
    const char* pressed;  // xdotool key names
    unsigned modifiers;   // the registered key
    unsigned virtualKey;
    bool delivered;
};

class HotKeyPress : public HotKeyTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(HotKeyPress, ReachesTheProgramExactlyForItsKeyWhateverTheLocks)
{
    const PressCase& c = GetParam();
    X11HotKeyService hotKeys;
    QSignalSpy spy(&hotKeys, &HotKeyService::Pressed);
    ASSERT_TRUE(hotKeys.Register(7, c.modifiers, c.virtualKey));
    if (*c.locks)
        Press(c.locks);
    Press(c.pressed);
    const bool arrived = spy.wait(c.delivered ? 3000 : 400);
    if (*c.locks)
        Press(c.locks);
    ASSERT_EQ(arrived, c.delivered);
    if (c.delivered) {
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy[0][0].toInt(), 7);
        EXPECT_EQ(spy[0][1].toUInt(), c.modifiers);
        EXPECT_EQ(spy[0][2].toUInt(), c.virtualKey);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HotKeyPress,
    ::testing::Values(
        PressCase{"CtrlAltZ", "", "ctrl+alt+z", HotKeyCtrl | HotKeyAlt, 'Z', true},
        PressCase{"WithNumLock", "Num_Lock", "ctrl+alt+z", HotKeyCtrl | HotKeyAlt, 'Z', true},
        PressCase{"WithCapsLock", "Caps_Lock", "ctrl+alt+z", HotKeyCtrl | HotKeyAlt, 'Z', true},
        PressCase{"WithCapsAndNumLock", "Caps_Lock Num_Lock", "ctrl+alt+z", HotKeyCtrl | HotKeyAlt, 'Z', true},
        PressCase{"ShiftCtrlF5", "", "shift+ctrl+F5", HotKeyShift | HotKeyCtrl, 116, true},
        PressCase{"Digit", "", "alt+3", HotKeyAlt, '3', true},
        PressCase{"MissingModifier", "", "ctrl+z", HotKeyCtrl | HotKeyAlt, 'Z', false},
        PressCase{"ExtraModifier", "", "shift+ctrl+alt+z", HotKeyCtrl | HotKeyAlt, 'Z', false},
        PressCase{"OtherKey", "", "ctrl+alt+x", HotKeyCtrl | HotKeyAlt, 'Z', false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HotKeyTest, UnregisteredKeysAreReleased)
{
    X11HotKeyService hotKeys;
    QSignalSpy spy(&hotKeys, &HotKeyService::Pressed);
    ASSERT_TRUE(hotKeys.Register(1, HotKeyCtrl | HotKeyAlt, 'Z'));
    ASSERT_TRUE(hotKeys.Register(1, HotKeyCtrl | HotKeyAlt, 'Y'));  // the id now holds Ctrl+Alt+Y only
    EXPECT_TRUE(OtherClient().GrabCtrlAltZ());
    Press("ctrl+alt+z");
    EXPECT_FALSE(spy.wait(400));
    Press("ctrl+alt+y");
    EXPECT_TRUE(spy.wait(3000));
    EXPECT_TRUE(hotKeys.Unregister(1));
    EXPECT_FALSE(hotKeys.Unregister(1));
    spy.clear();
    Press("ctrl+alt+y");
    EXPECT_FALSE(spy.wait(400));
    EXPECT_FALSE(hotKeys.Register(2, HotKeyCtrl, 0));  // no such key
}

TEST_F(HotKeyTest, AKeyAnotherProgramHoldsIsRefusedUntilItIsFree)
{
    X11HotKeyService hotKeys;
    {
        OtherClient other;
        ASSERT_TRUE(other.Ok());
        ASSERT_TRUE(other.GrabCtrlAltZ());
        EXPECT_FALSE(hotKeys.Register(1, HotKeyCtrl | HotKeyAlt, 'Z'));
    }
    EXPECT_TRUE(hotKeys.Register(1, HotKeyCtrl | HotKeyAlt, 'Z'));
    QSignalSpy spy(&hotKeys, &HotKeyService::Pressed);
    Press("ctrl+alt+z");
    EXPECT_TRUE(spy.wait(3000));
}

TEST_F(HotKeyTest, KeysAreFreeAgainWhenTheServiceGoes)
{
    {
        X11HotKeyService hotKeys;
        ASSERT_TRUE(hotKeys.Register(1, HotKeyCtrl | HotKeyAlt, 'Z'));
        OtherClient other;
        EXPECT_FALSE(other.GrabCtrlAltZ());
    }
    OtherClient other;
    EXPECT_TRUE(other.GrabCtrlAltZ());
}

}  // namespace
