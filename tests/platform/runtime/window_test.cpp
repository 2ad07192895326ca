// Window life cycle and events: ancestors first, runtime errors at the event boundary,
// closequery, Esc and disabled buttons, sheets with a parameter, focus and keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime/application.h"
#include "platform/runtime/scripted_interaction.h"
#include "platform/runtime/user_input.h"
#include "tests/support/test_db.h"

namespace {

using namespace runtime;

std::vector<std::string> g_log;

// An ancestor button and a descendant, as a screen builds on a host button.
struct BaseButton : CommandButton {
    using CommandButton::CommandButton;
    bool fail = false;
    int clicked() override {
        g_log.push_back(name() + ".base.clicked");
        if (fail) throw RuntimeError("ancestor failed");
        return 0;
    }
};

struct ScreenButton : BaseButton {
    using BaseButton::BaseButton;
    int clicked() override {
        BaseButton::clicked();
        g_log.push_back(name() + ".clicked");
        return 0;
    }
};

struct Edit : SingleLineEdit {
    using SingleLineEdit::SingleLineEdit;
    bool focus_leaving() override {
        g_log.push_back(name() + ".leaving");
        return !keep_focus;
    }
    bool keep_focus = false;
    int key_down(int k, unsigned flags) override {
        g_log.push_back(name() + ".key " + std::to_string(k) + "/" + std::to_string(flags));
        return 0;
    }
};

struct BaseSheet : Window {
    using Window::Window;
    int create() override {
        add_control<StaticText>("st_base");
        g_log.push_back("base.create");
        return 0;
    }
    int open() override {
        g_log.push_back("base.open");
        return 0;
    }
    int close() override {
        g_log.push_back("base.close");
        return 0;
    }
    int destroy() override {
        g_log.push_back("base.destroy");
        return 0;
    }
};

struct TestSheet : BaseSheet {
    TestSheet() : BaseSheet("w_test") {}
    int refuse = 0;
    std::optional<std::string> received;
    ScreenButton* ok = nullptr;
    ScreenButton* quit = nullptr;
    Edit* edit = nullptr;

    int create() override {
        BaseSheet::create();
        edit = &add_control<Edit>("sle_1");
        ok = &add_control<ScreenButton>("cb_ok");
        quit = &add_control<ScreenButton>("cb_quit");
        quit->set_cancel(true);
        quit->set_text("退出(&E)");
        g_log.push_back("create");
        return 0;
    }
    int open() override {
        BaseSheet::open();
        received = app().message().stringparm;
        g_log.push_back("open");
        return 0;
    }
    int closequery() override {
        g_log.push_back("closequery");
        return refuse;
    }
    int close() override {
        BaseSheet::close();
        g_log.push_back("close");
        return 0;
    }
    int destroy() override {
        BaseSheet::destroy();
        g_log.push_back("destroy");
        return 0;
    }
};

struct Frame : Window {
    Frame() : Window("w_frame") { set_frame_style(true); }
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_log.clear();
        app.register_class("w_test", [] { return std::make_unique<TestSheet>(); });
        app.register_class("w_frame", [] { return std::make_unique<Frame>(); });
    }
    TestSheet& open_sheet(std::optional<std::string> parm = "E1") {
        Window* frame = app.find_open("w_frame");
        if (!frame) frame = app.open("w_frame");
        return dynamic_cast<TestSheet&>(*app.open_sheet("w_test", *frame, parm, 3, 2));
    }

    testing_support::TempDir dir;
    ScriptedInteraction ui;
    Files files{dir.path()};
    Application app{ui, files};
};

TEST_F(WindowTest, OpenRunsCreateThenOpenAndAppendsControlsAfterTheAncestors) {
    TestSheet& w = open_sheet();
    EXPECT_EQ(g_log, (std::vector<std::string>{"base.create", "create", "base.open", "open"}));
    std::vector<std::string> names;
    for (Control* c : w.controls()) names.push_back(c->name());
    EXPECT_EQ(names, (std::vector<std::string>{"st_base", "sle_1", "cb_ok", "cb_quit"}));
    EXPECT_TRUE(w.is_open());
}

TEST_F(WindowTest, SheetReadsItsParameterFromTheMessageObjectAndTheRequestIsRecorded) {
    TestSheet& a = open_sheet("E1 ");
    EXPECT_EQ(a.received, std::optional<std::string>("E1 "));
    TestSheet& b = open_sheet(std::nullopt);
    EXPECT_FALSE(b.received.has_value());
    ASSERT_EQ(app.open_requests().size(), 3u);  // the frame, then two sheets
    const OpenRequest& r = app.open_requests()[1];
    EXPECT_EQ(r.window, "w_test");
    EXPECT_EQ(r.frame, "w_frame");
    EXPECT_EQ(r.parameter, std::optional<std::string>("E1 "));
    EXPECT_EQ(r.menu_position, 3);
    EXPECT_EQ(r.arrangement, 2);
    EXPECT_EQ(app.sheets(*app.find_open("w_frame")).size(), 2u);
}

TEST_F(WindowTest, AncestorRunsFirstAndItsRuntimeErrorStopsTheDescendant) {
    TestSheet& w = open_sheet();
    g_log.clear();
    EXPECT_EQ(w.ok->press(), 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"cb_ok.base.clicked", "cb_ok.clicked"}));

    g_log.clear();
    w.ok->fail = true;
    EXPECT_EQ(w.ok->press(), -1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"cb_ok.base.clicked"}));
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].kind, "runtime-error");
    EXPECT_NE(ui.prompts()[0].text.find("w_test.cb_ok"), std::string::npos);
    EXPECT_NE(ui.prompts()[0].text.find("ancestor failed"), std::string::npos);
}

TEST_F(WindowTest, MissingControlIsANullObjectErrorReportedAtTheBoundary) {
    TestSheet& w = open_sheet();
    int r = w.run_event("w_test", "open", [&] {
        w.control("cb_none").set_enabled(false);
        return 0;
    });
    EXPECT_EQ(r, -1);
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_NE(ui.prompts()[0].text.find("cb_none"), std::string::npos);
}

TEST_F(WindowTest, ClosequeryReturningOneRefusesTheClose) {
    TestSheet& w = open_sheet();
    w.refuse = 1;
    g_log.clear();
    EXPECT_EQ(app.close(w), -1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"closequery"}));
    EXPECT_TRUE(w.is_open());

    w.refuse = 0;
    g_log.clear();
    EXPECT_EQ(app.close(w), 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"closequery", "base.close", "close", "base.destroy",
                                               "destroy"}));
    EXPECT_EQ(app.find_open("w_test"), nullptr);  // closed and freed: `w` is gone
}

TEST_F(WindowTest, CloseRequestedDuringClosequeryIsRefusedNotRepeated) {
    // The counts live outside the window, which is freed by the close.
    static int asked, inner;
    asked = 0, inner = 0;
    struct Nested : Window {
        Nested() : Window("w_nested") {}
        int closequery() override {
            ++asked;
            inner = request_close();
            return 0;
        }
    };
    app.register_class("w_nested", [] { return std::make_unique<Nested>(); });
    EXPECT_EQ(app.close(*app.open("w_nested")), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(inner, -1);
}

TEST_F(WindowTest, AnyFailureInAHandlerEndsItAtTheBoundaryButScriptMistakesPass) {
    TestSheet& w = open_sheet();
    int r = w.run_event("cb_ok", "clicked", [] {
        return std::vector<int>{}.at(3);  // a fault of the handler itself
    });
    EXPECT_EQ(r, -1);
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_EQ(ui.prompts()[0].kind, "runtime-error");
    EXPECT_THROW(w.run_event("cb_ok", "clicked", []() -> int { throw ScriptError("bad"); }),
                 ScriptError);
}

TEST_F(WindowTest, FrameClosesOnlyWhenEverySheetAgrees) {
    TestSheet& a = open_sheet();
    open_sheet();
    a.refuse = 1;
    Window& frame = *app.find_open("w_frame");
    EXPECT_EQ(app.close(frame), -1);
    EXPECT_TRUE(a.is_open());
    // The later sheet agreed, closed and is freed; only the refusing one is left.
    EXPECT_EQ(app.sheets(frame), std::vector<Window*>{&a});
    EXPECT_TRUE(frame.is_open());
    a.refuse = 0;
    EXPECT_EQ(app.close(frame), 1);
    EXPECT_TRUE(app.windows().empty());
}

TEST_F(WindowTest, EscPressesTheCancelButtonOnlyWhenEnabled) {
    TestSheet& w = open_sheet();
    g_log.clear();
    user::key(w, key::kEscape);
    EXPECT_EQ(g_log, (std::vector<std::string>{"cb_quit.base.clicked", "cb_quit.clicked"}));

    g_log.clear();
    w.quit->set_enabled(false);
    user::key(w, key::kEscape);
    EXPECT_EQ(w.quit->press(), -1);
    EXPECT_TRUE(g_log.empty());
    // A script may still trigger the event of a disabled button.
    EXPECT_EQ(w.quit->trigger_clicked(), 0);
    EXPECT_EQ(g_log.size(), 2u);
}

TEST_F(WindowTest, AcceleratorAndEnterOnAFocusedButtonPressIt) {
    TestSheet& w = open_sheet();
    EXPECT_EQ(w.quit->accelerator(), 'E');
    g_log.clear();
    user::key(w, 'e', key::kAlt);
    EXPECT_EQ(g_log.back(), "cb_quit.clicked");
    w.ok->setfocus();
    user::key(w, key::kEnter);
    EXPECT_EQ(g_log.back(), "cb_ok.clicked");
    user::key(w, key::kDown);  // a button takes no other keys
    EXPECT_EQ(g_log.back(), "cb_ok.clicked");
}

TEST_F(WindowTest, KeysGoToTheFocusedControlAndLeavingFocusIsAnnounced) {
    TestSheet& w = open_sheet();
    g_log.clear();
    user::key(w, key::kDown);  // nothing focused
    EXPECT_TRUE(g_log.empty());
    user::type(*w.edit, "12");
    EXPECT_TRUE(w.edit->has_focus());
    EXPECT_EQ(w.edit->text(), "12");
    user::key(w, key::kDown, key::kShift);
    EXPECT_EQ(g_log, (std::vector<std::string>{"sle_1.key 40/1"}));
    w.edit->keep_focus = true;  // input the edit refuses to let go of
    EXPECT_EQ(w.ok->setfocus(), -1);
    EXPECT_TRUE(w.edit->has_focus());
    w.edit->keep_focus = false;
    EXPECT_EQ(w.ok->setfocus(), 1);
    EXPECT_EQ(g_log.back(), "sle_1.leaving");
    w.ok->set_enabled(false);
    EXPECT_EQ(w.ok->setfocus(), 1);  // already has it
    EXPECT_EQ(w.edit->setfocus(), 1);
    EXPECT_EQ(w.ok->setfocus(), -1);  // a disabled control takes no focus
}

TEST_F(WindowTest, TabMovesTheFocusAlongTheTabOrder) {
    TestSheet& w = open_sheet();
    EXPECT_EQ(w.focus_next(), -1);  // nothing is in the tab order yet
    w.quit->set_tab_order(10);
    w.edit->set_tab_order(20);
    w.ok->set_tab_order(20);  // equal positions go in creation order
    user::key(w, key::kTab);
    EXPECT_TRUE(w.quit->has_focus());
    user::key(w, key::kTab);
    EXPECT_TRUE(w.edit->has_focus());
    user::key(w, key::kTab);
    EXPECT_TRUE(w.ok->has_focus());
    user::key(w, key::kTab);  // wraps round
    EXPECT_TRUE(w.quit->has_focus());
    user::key(w, key::kTab, key::kShift);
    EXPECT_TRUE(w.ok->has_focus());
    w.edit->set_enabled(false);  // skipped while it cannot take the focus
    user::key(w, key::kTab, key::kShift);
    EXPECT_TRUE(w.quit->has_focus());
    w.edit->set_enabled(true);
    w.edit->setfocus();
    w.edit->keep_focus = true;  // refused input keeps the focus where it is
    user::key(w, key::kTab);
    EXPECT_TRUE(w.edit->has_focus());
}

TEST_F(WindowTest, PropertyChangesAreAnnouncedOnceWithTheirName) {
    TestSheet& w = open_sheet();
    std::vector<std::string> changes;
    auto link =
        w.ok->property_changed.connect([&](std::string_view p) { changes.emplace_back(p); });
    w.ok->set_enabled(false);
    w.ok->set_enabled(false);  // no change, no notice
    w.ok->set_text("保存(&S)");
    w.ok->move(10, 20);
    w.ok->set_font(ControlFont{"Arial", -9, 700, 0, 2, 2});
    EXPECT_EQ(changes, (std::vector<std::string>{"enabled", "text", "x", "y", "font"}));
}

TEST_F(WindowTest, UnknownClassIsReportedAndOpensNothing) {
    EXPECT_EQ(app.open("w_nowhere"), nullptr);
    ASSERT_EQ(ui.prompts().size(), 1u);
    EXPECT_NE(ui.prompts()[0].text.find("w_nowhere"), std::string::npos);
}

TEST_F(WindowTest, WindowMayCloseItselfFromItsOwnButton) {
    struct SelfClosing : Window {
        SelfClosing() : Window("w_self") {}
        int create() override {
            struct Exit : CommandButton {
                using CommandButton::CommandButton;
                int clicked() override { return parent_window().request_close(); }
            };
            add_control<Exit>("cb_exit");
            return 0;
        }
    };
    app.register_class("w_self", [] { return std::make_unique<SelfClosing>(); });
    Window* w = app.open("w_self");
    bool freed = false;
    auto link = w->destroyed.connect([&] { freed = true; });
    EXPECT_EQ(user::press(w->control_as<CommandButton>("cb_exit")), InputResult::done);
    EXPECT_TRUE(freed);  // freed once the press that closed it had ended
    EXPECT_TRUE(app.windows().empty());
    EXPECT_EQ(app.closed_pending(), 0u);
}

}  // namespace
