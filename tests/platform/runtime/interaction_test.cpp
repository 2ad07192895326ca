// The scripted interaction: queued answers, defaults without one, records of every prompt.
#include <gtest/gtest.h>

#include "platform/runtime/scripted_interaction.h"

namespace {

using namespace runtime;

MessageBoxRequest question(Buttons b, int default_button) {
    MessageBoxRequest r;
    r.title = "提示";
    r.text = "部分数据被改动！是否存盘？";
    r.icon = Icon::question;
    r.buttons = b;
    r.default_button = default_button;
    return r;
}

FileDialogRequest save_dialog() {
    return {FileDialogRequest::Kind::save, "导出文件", "文本文件", "EXCEL表格(.xls),*.xls"};
}

TEST(ScriptedInteraction, QueuedAnswersAreTakenInOrderAndRecorded) {
    ScriptedInteraction ui;
    ui.queue(Answer::button(3));
    ui.queue(Answer::file("/tmp/导出 1.xls"));
    ui.queue(Answer::cancelled());
    std::vector<std::string> seen;
    auto link = ui.prompted.connect([&](const Prompt& p) { seen.push_back(p.kind); });

    EXPECT_EQ(ui.message_box(question(Buttons::yes_no_cancel, 1)), 3);
    FileChoice c = ui.file_dialog(save_dialog());
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.path, "/tmp/导出 1.xls");
    EXPECT_EQ(c.name, "导出 1.xls");
    EXPECT_EQ(ui.message_box(question(Buttons::yes_no_cancel, 1)), 3);  // cancel -> 3
    EXPECT_EQ(ui.pending(), 0u);

    ASSERT_EQ(ui.prompts().size(), 3u);
    EXPECT_EQ(seen, (std::vector<std::string>{"messagebox", "save", "messagebox"}));
    const Prompt& box = ui.prompts()[0];
    EXPECT_EQ(box.title, "提示");
    EXPECT_EQ(box.text, "部分数据被改动！是否存盘？");
    EXPECT_EQ(box.icon, Icon::question);
    EXPECT_EQ(box.buttons, Buttons::yes_no_cancel);
    EXPECT_EQ(box.answer, 3);
    EXPECT_TRUE(box.queued);
    const Prompt& dlg = ui.prompts()[1];
    EXPECT_EQ(dlg.title, "导出文件");
    EXPECT_EQ(dlg.default_extension, "文本文件");
    EXPECT_EQ(dlg.text, "EXCEL表格(.xls),*.xls");
    EXPECT_EQ(dlg.path, "/tmp/导出 1.xls");
}

TEST(ScriptedInteraction, WithoutAnswerBoxesTakeTheirDefaultAndDialogsAreCancelled) {
    ScriptedInteraction ui;
    EXPECT_EQ(ui.message_box(question(Buttons::yes_no, 2)), 2);
    EXPECT_EQ(ui.message_box(question(Buttons::ok, 5)), 1);  // a default it lacks: first
    FileChoice c = ui.file_dialog(save_dialog());
    EXPECT_EQ(c.result, 0);
    EXPECT_TRUE(c.path.empty());
    ASSERT_EQ(ui.prompts().size(), 3u);
    EXPECT_FALSE(ui.prompts()[0].queued);
    EXPECT_EQ(ui.prompts()[2].kind, "save");
    EXPECT_EQ(ui.prompts()[2].answer, 0);
}

TEST(ScriptedInteraction, AnswersThatDoNotFitThePromptAreScriptErrors) {
    ScriptedInteraction ui;
    ui.queue(Answer::file("/tmp/x"));
    EXPECT_THROW(ui.message_box(question(Buttons::ok, 1)), ScriptError);
    ui.queue(Answer::button(3));
    EXPECT_THROW(ui.message_box(question(Buttons::yes_no, 1)), ScriptError);
    ui.queue(Answer::cancelled());
    EXPECT_THROW(ui.message_box(question(Buttons::yes_no, 1)), ScriptError);
    ui.queue(Answer::button(1));
    EXPECT_THROW(ui.file_dialog(save_dialog()), ScriptError);
    EXPECT_TRUE(ui.prompts().empty());
}

}  // namespace
