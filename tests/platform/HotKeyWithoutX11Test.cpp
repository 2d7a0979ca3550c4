// Without an X11 display (the offscreen platform) the hot-key service refuses keys instead of failing.
#include "platform/HotKey.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace zelpix;

TEST(HotKeyWithoutX11, RegisterFailsAndNothingBreaks)
{
    ASSERT_NE(QGuiApplication::platformName(), "xcb");
    X11HotKeyService hotKeys;
    EXPECT_FALSE(hotKeys.Register(1, HotKeyCtrl | HotKeyAlt, 'Z'));
    EXPECT_FALSE(hotKeys.Unregister(1));
}
