// Checks of how a screen lays out its controls and dresses its host buttons, shared by the
// suites of the list, the form and the host button.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/window.h"
#include "screens/host/uo_xpbutton.h"

namespace screens_test {

struct ControlPlace {
    const char* name;
    int x, y, width, height, tab_order;
    const char* text;
};

// Each control stands where `places` says, with that tab position and text, brought to top.
inline void expect_places(const runtime::Window& w, const std::vector<ControlPlace>& places) {
    for (const ControlPlace& p : places) {
        SCOPED_TRACE(p.name);
        const runtime::Control& c = w.control(p.name);
        EXPECT_EQ(c.x(), p.x);
        EXPECT_EQ(c.y(), p.y);
        EXPECT_EQ(c.width(), p.width);
        EXPECT_EQ(c.height(), p.height);
        EXPECT_EQ(c.tab_order(), p.tab_order);
        EXPECT_EQ(c.text(), p.text);
        EXPECT_TRUE(c.bringtotop());
    }
}

// The look every screen gives its host buttons: `icon` in all three states, chimb, caption
// alignment 1, tooltip type 2 with a title, and the host's colours.
inline void expect_host_look(const host::uo_xpbutton& b, const std::string& icon) {
    EXPECT_EQ(b.normalpicname(), icon);
    EXPECT_EQ(b.movepicname(), icon);
    EXPECT_EQ(b.bkpicname(), icon);
    EXPECT_TRUE(b.chimb());
    EXPECT_EQ(b.captionalign(), 1);
    EXPECT_EQ(b.tooltiptype(), 2);
    EXPECT_TRUE(b.tooltiptitle());
    EXPECT_EQ(b.backcolor(), 16495676);
    EXPECT_EQ(b.backcolorover(), 8703999);
    EXPECT_EQ(b.backcolordown(), 13031390);
    EXPECT_EQ(b.fontcolor(), 15856113);
    EXPECT_EQ(b.fontcolorover(), 255);
    EXPECT_EQ(b.fontcolordown(), 13811126);
}

struct ButtonLook {
    const char* name;
    const char* tag;
    const char* icon;
};

// Each button has its tag and icon and the host look; only `cancel` is the cancel button.
inline void expect_buttons(const runtime::Window& w, const std::vector<ButtonLook>& looks,
                           const std::string& cancel) {
    for (const ButtonLook& l : looks) {
        SCOPED_TRACE(l.name);
        const auto& b = w.control_as<host::uo_xpbutton>(l.name);
        EXPECT_EQ(b.tag(), l.tag);
        expect_host_look(b, l.icon);
        EXPECT_EQ(b.cancel(), l.name == cancel);
    }
    EXPECT_EQ(w.cancel_button(), &w.control(cancel));
}

}  // namespace screens_test
