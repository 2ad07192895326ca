#include "platform/runtime/scripted_interaction.h"

namespace runtime {

namespace {

// The button a "cancel" answer stands for, or 0 when the set has none.
int cancel_position(Buttons b) {
    switch (b) {
        case Buttons::ok_cancel:
        case Buttons::retry_cancel:
            return 2;
        case Buttons::yes_no_cancel:
            return 3;
        default:
            return 0;
    }
}

}  // namespace

void ScriptedInteraction::record(Prompt p) {
    prompts_.push_back(std::move(p));
    prompted.fire(prompts_.back());
}

std::optional<std::string> ScriptedInteraction::next_path(Prompt& p, const std::string& asks) {
    if (answers_.empty()) return std::nullopt;
    Answer a = answers_.front();
    answers_.pop_front();
    p.queued = true;
    if (a.kind == Answer::Kind::number)
        throw ScriptError("a button number was queued, but " + asks);
    if (a.kind == Answer::Kind::path) return a.path;
    return std::nullopt;
}

int ScriptedInteraction::message_box(const MessageBoxRequest& request) {
    Prompt p{request.origin,
             request.title,
             request.text,
             request.icon,
             request.buttons,
             request.default_button,
             {},
             0,
             {},
             false,
             request.window};
    const int count = button_count(request.buttons);
    int answer =
        request.default_button >= 1 && request.default_button <= count ? request.default_button : 1;
    if (!answers_.empty()) {
        Answer a = answers_.front();
        answers_.pop_front();
        p.queued = true;
        if (a.kind == Answer::Kind::path)
            throw ScriptError("a file path was queued, but a message box asks: " + request.text);
        if (a.kind == Answer::Kind::cancel) {
            answer = cancel_position(request.buttons);
            if (answer == 0)
                throw ScriptError(
                    "cancel was queued, but the message box has no cancel "
                    "button: " +
                    request.text);
        } else {
            if (a.number < 1 || a.number > count)
                throw ScriptError("answer " + std::to_string(a.number) + " was queued, but the " +
                                  "message box has " + std::to_string(count) +
                                  " button(s): " + request.text);
            answer = a.number;
        }
    }
    p.answer = answer;
    record(std::move(p));
    return answer;
}

FileChoice ScriptedInteraction::file_dialog(const FileDialogRequest& request) {
    Prompt p;
    p.kind = request.kind == FileDialogRequest::Kind::open ? "open" : "save";
    p.title = request.title;
    p.text = request.filter;
    p.default_extension = request.default_extension;
    p.window = request.window;
    FileChoice choice;
    if (std::optional<std::string> path = next_path(p, "a file dialog asks: " + request.title)) {
        choice.result = 1;
        choice.path = *path;
        choice.name = path->substr(path->find_last_of("/\\") + 1);
    }
    p.answer = choice.result;
    p.path = choice.path;
    record(std::move(p));
    return choice;
}

PrintOutcome ScriptedInteraction::print(const PrintJob& job) {
    Prompt p;
    p.kind = "print";
    p.title = job.title;
    p.text = layout_name(job.layout);
    p.rows = job.rows;
    p.window = job.window;
    PrintOutcome outcome;
    if (std::optional<std::string> path =
            next_path(p, "printing asks for a PDF file: " + job.title)) {
        p.path = *path;
        outcome = printer_ ? printer_(job, *path)
                           : PrintOutcome{-1, "没有可用的打印机（tarvo-script 不打印）"};
    }
    p.answer = outcome.result;
    record(std::move(p));
    return outcome;
}

}  // namespace runtime
