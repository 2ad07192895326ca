#include "platform/runtime/script_driver.h"

#include <cctype>
#include <istream>
#include <map>
#include <ostream>

#include "platform/runtime/datawindow_control.h"
#include "platform/runtime/json_line.h"
#include "platform/runtime/runtime_error.h"
#include "platform/runtime/script_words.h"
#include "platform/runtime/user_input.h"
#include "platform/text/gbk.h"

namespace runtime {

namespace {

using script::need;
using script::to_int;

int key_code(const std::string& word) {
    static const std::map<std::string, int> names = {
        {"enter", key::kEnter},   {"esc", key::kEscape},     {"escape", key::kEscape},
        {"up", key::kUp},         {"down", key::kDown},      {"left", key::kLeft},
        {"right", key::kRight},   {"tab", key::kTab},        {"home", key::kHome},
        {"end", key::kEnd},       {"pageup", key::kPageUp},  {"pagedown", key::kPageDown},
        {"delete", key::kDelete}, {"backspace", key::kBack}, {"space", key::kSpace}};
    auto it = names.find(text::ascii_lower(word));
    if (it != names.end()) return it->second;
    if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0])))
        return std::toupper(static_cast<unsigned char>(word[0]));
    return to_int(word, "key");
}

unsigned key_flags(const std::string& word) {
    if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0])))
        return static_cast<unsigned>(to_int(word, "key flags"));
    unsigned flags = 0;
    std::string w = text::ascii_lower(word);
    std::size_t start = 0;
    while (start <= w.size()) {
        std::size_t end = w.find('+', start);
        std::string part =
            w.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part == "shift")
            flags |= key::kShift;
        else if (part == "ctrl" || part == "control")
            flags |= key::kControl;
        else if (part == "alt")
            flags |= key::kAlt;
        else
            throw ScriptError("unknown key modifier \"" + part + "\"");
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return flags;
}

std::string prompt_line(const Prompt& p) {
    if (p.kind == "print") {
        return JsonLine("print")
            .add("title", p.title)
            .add("layout", p.text)
            .add("rows", p.rows)
            .add("answer", p.answer)
            .add("path", p.path)
            .str();
    }
    if (p.kind == "open" || p.kind == "save") {
        return JsonLine("dialog")
            .add("kind", p.kind)
            .add("title", p.title)
            .add("extension", p.default_extension)
            .add("filter", p.text)
            .add("answer", p.answer)
            .add("path", p.path)
            .str();
    }
    JsonLine line(p.kind);
    line.add("title", p.title).add("text", p.text);
    if (p.kind == "messagebox")
        line.add("icon", icon_name(p.icon))
            .add("buttons", buttons_name(p.buttons))
            .add("default", p.default_button);
    return line.add("answer", p.answer).str();
}

}  // namespace

ScriptDriver::ScriptDriver(Application& app, ScriptedInteraction& ui, std::ostream& out)
    : app_(app), ui_(ui), out_(out) {
    opener_ = [this](std::string_view name, std::optional<std::string> parm) {
        return app_.open(name, std::move(parm));
    };
    connections_ += ui_.prompted.connect([this](const Prompt& p) {
        if (p.kind == "runtime-error" || p.kind == "db-error") ++screen_errors_;
        write_line(prompt_line(p));
    });
    connections_ += app_.open_requested.connect([this](const OpenRequest& r) {
        JsonLine line("open");
        line.add("window", r.window).add("parameter", r.parameter);
        if (!r.frame.empty())
            line.add("frame", r.frame).add("menu", r.menu_position).add("arrange", r.arrangement);
        write_line(line.str());
    });
    connections_ += app_.window_opened.connect([this](Window& w) {
        if (!w.is_frame()) current_window_ = w.class_name();
    });
    connections_ +=
        app_.sheet_activated.connect([this](Window& w) { current_window_ = w.class_name(); });
    connections_ += app_.window_closed.connect(
        [this](Window& w) { write_line(JsonLine("close").add("window", w.class_name()).str()); });
}

ScriptDriver::~ScriptDriver() = default;

void ScriptDriver::ignored(std::string_view control, InputResult result) {
    if (result == InputResult::done) return;
    write_line(
        JsonLine("ignored").add("control", control).add("reason", input_reason(result)).str());
}

void ScriptDriver::write_line(const std::string& json_line) {
    out_ << json_line << '\n' << std::flush;
}

std::vector<std::string> ScriptDriver::split(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        std::string word;
        if (c == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                    word += line[i++];
                } else {
                    word += d;
                }
            }
            if (!closed) throw ScriptError("a quoted word is not closed");
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

int ScriptDriver::run(std::istream& script) {
    int failed = 0;
    std::string line;
    int number = 0;
    while (std::getline(script, line))
        if (!run_line(line, ++number)) ++failed;
    if (ui_.pending() > 0) {
        // Answers nobody asked for usually mean the script expected a prompt that never came.
        write_line(JsonLine("unused-answers")
                       .add("count", static_cast<std::int64_t>(ui_.pending()))
                       .str());
        ui_.clear_queue();
        ++failed;
    }
    return failed;
}

bool ScriptDriver::run_line(std::string_view line, int line_number) {
    line_number_ = line_number;
    std::string command;
    try {
        Args args = split(line);
        if (args.empty()) return true;
        command = args[0];
        // Typed into a field, such bytes would be refused anyway; a whole line is refused
        // before any of it runs, so no half of it takes effect.
        if (std::size_t at = text::invalid_utf8_at(line); at != std::string_view::npos)
            throw ScriptError("the line is not valid UTF-8 (byte " + std::to_string(at + 1) + ")");
        execute(args);
        if (after_line_) after_line_();
        return true;
    } catch (const std::exception& e) {
        // Script mistakes, missing windows or controls, database errors of `sql`.
        write_line(JsonLine("script-error")
                       .add("line", line_number)
                       .add("command", command)
                       .add("message", e.what())
                       .str());
        return false;
    }
}

void ScriptDriver::execute(const Args& a) {
    using Handler = void (ScriptDriver::*)(const Args&);
    static const std::map<std::string, Handler> commands = {
        {"open", &ScriptDriver::cmd_open},         {"type", &ScriptDriver::cmd_type},
        {"click", &ScriptDriver::cmd_click},       {"key", &ScriptDriver::cmd_key},
        {"edit", &ScriptDriver::cmd_edit},         {"answer", &ScriptDriver::cmd_answer},
        {"close", &ScriptDriver::cmd_close},       {"sql", &ScriptDriver::cmd_sql},
        {"rows", &ScriptDriver::cmd_rows},         {"buttons", &ScriptDriver::cmd_buttons},
        {"text", &ScriptDriver::cmd_text},         {"item", &ScriptDriver::cmd_item},
        {"describe", &ScriptDriver::cmd_describe}, {"file", &ScriptDriver::cmd_file},
        {"windows", &ScriptDriver::cmd_windows},   {"screenshot", &ScriptDriver::cmd_screenshot},
        {"resize", &ScriptDriver::cmd_resize},     {"size", &ScriptDriver::cmd_size},
        {"menu", &ScriptDriver::cmd_menu}};
    const std::string name = text::ascii_lower(a[0]);
    if (name == "clickrow" || name == "dblclickrow") return cmd_row_click(a, name == "dblclickrow");
    if (name == "window") {
        need(a, 2, 2, "window NAME");
        if (!app_.find_open(a[1])) throw ScriptError("window " + a[1] + " is not open");
        current_window_ = a[1];
        return;
    }
    if (name == "accept") {
        need(a, 2, 2, "accept CONTROL");
        target_data_window(a[1]).accepttext();
        return;
    }
    if (name == "focus") {
        need(a, 2, 2, "focus CONTROL");
        return ignored(a[1], user::focus(target_control(a[1])));
    }
    if (name == "variable") {
        need(a, 2, 2, "variable [WINDOW.]NAME");
        return cmd_variable(a[1]);
    }
    auto it = commands.find(name);
    if (it == commands.end()) throw ScriptError("unknown command \"" + a[0] + "\"");
    (this->*(it->second))(a);
}

Window& ScriptDriver::target_window(std::string_view name) const {
    if (!name.empty()) {
        if (Window* w = app_.find_open(name)) return *w;
        throw ScriptError("window " + std::string(name) + " is not open");
    }
    if (!current_window_.empty())
        if (Window* w = app_.find_open(current_window_)) return *w;
    auto open = app_.windows();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (!(*it)->is_frame()) return **it;
    if (!open.empty()) return *open.back();
    throw ScriptError("no window is open");
}

Control& ScriptDriver::target_control(std::string_view target) const {
    const auto dot = target.find('.');
    if (dot == std::string_view::npos) return target_window().control(target);
    return target_window(target.substr(0, dot)).control(target.substr(dot + 1));
}

DataWindowControl& ScriptDriver::target_data_window(std::string_view target) const {
    auto* dw = dynamic_cast<DataWindowControl*>(&target_control(target));
    if (!dw) throw ScriptError(std::string(target) + " is not a data-window control");
    return *dw;
}

void ScriptDriver::cmd_open(const Args& a) {
    need(a, 2, 3, "open WINDOW [PARAMETER]");
    std::optional<std::string> parm;
    if (a.size() == 3) parm = a[2];
    if (!opener_(a[1], parm)) throw ScriptError("window " + a[1] + " could not be opened");
}

void ScriptDriver::cmd_type(const Args& a) {
    need(a, 3, 3, "type EDIT TEXT");
    auto* edit = dynamic_cast<SingleLineEdit*>(&target_control(a[1]));
    if (!edit) throw ScriptError(a[1] + " is not a single-line edit");
    ignored(a[1], user::type(*edit, a[2]));
}

void ScriptDriver::cmd_click(const Args& a) {
    need(a, 2, 2, "click CONTROL");
    Control& c = target_control(a[1]);
    if (auto* dw = dynamic_cast<DataWindowControl*>(&c))
        return ignored(a[1], user::click(*dw, 0, ""));
    if (auto* b = dynamic_cast<CommandButton*>(&c)) return ignored(a[1], user::press(*b));
    ignored(a[1], user::focus(c));
}

void ScriptDriver::cmd_key(const Args& a) {
    need(a, 3, 4, "key CONTROL|WINDOW KEY [MODIFIERS]");
    const int code = key_code(a[2]);
    const unsigned flags = a.size() == 4 ? key_flags(a[3]) : 0;
    if (a[1].find('.') == std::string::npos)
        if (Window* w = app_.find_open(a[1])) return ignored(a[1], user::key(*w, code, flags));
    Control& c = target_control(a[1]);
    if (c.accepts_focus()) user::focus(c);
    if (!c.has_focus() && code != key::kEscape && !(flags & key::kAlt))
        return ignored(a[1], InputResult::no_focus);
    ignored(a[1], user::key(c.parent_window(), code, flags));
}

void ScriptDriver::cmd_row_click(const Args& a, bool twice) {
    need(a, 3, 4,
         twice ? "dblclickrow DATAWINDOW ROW [OBJECT]" : "clickrow DATAWINDOW ROW [OBJECT]");
    DataWindowControl& dw = target_data_window(a[1]);
    const int row = to_int(a[2], "row");
    const std::string object = a.size() == 4 ? a[3] : "eid";
    InputResult result = user::click(dw, row, object);
    if (twice && result == InputResult::done) result = user::double_click(dw, row, object);
    ignored(a[1], result);
}

void ScriptDriver::cmd_edit(const Args& a) {
    need(a, 5, 6, "edit DATAWINDOW ROW COLUMN TEXT [accept|noaccept]");
    DataWindowControl& dw = target_data_window(a[1]);
    const int row = to_int(a[2], "row");
    bool accept = true;
    if (a.size() == 6) {
        const std::string mode = text::ascii_lower(a[5]);
        if (mode != "accept" && mode != "noaccept")
            throw ScriptError("the last word of edit is accept or noaccept");
        accept = mode == "accept";
    }
    if (row < 1 || row > dw.rowcount()) throw ScriptError("row " + a[2] + " does not exist");
    if (!dw.definition() || dw.definition()->column_index(a[3]) < 0)
        throw ScriptError("column " + a[3] + " does not exist");
    InputResult placed = user::place_cursor(dw, row, a[3]);
    if (placed != InputResult::done) return ignored(a[1], placed);
    std::string kept;
    InputResult typed = user::type_text(dw, a[4], &kept);
    if (typed == InputResult::refused)
        write_line(JsonLine("refused")
                       .add("control", a[1])
                       .add("column", a[3])
                       .add("typed", a[4])
                       .add("kept", kept)
                       .str());
    else if (typed != InputResult::done)
        return ignored(a[1], typed);
    if (accept) dw.accepttext();
}

void ScriptDriver::cmd_answer(const Args& a) {
    need(a, 2, 3, "answer NUMBER|yes|no|ok|cancel | answer path PATH");
    const std::string w = text::ascii_lower(a[1]);
    if (w == "path" || w == "file") {
        need(a, 3, 3, "answer path PATH");
        ui_.queue(Answer::file(a[2]));
    } else if (a.size() != 2) {
        throw ScriptError("usage: answer NUMBER|yes|no|ok|cancel");
    } else if (w == "cancel") {
        ui_.queue(Answer::cancelled());
    } else if (w == "yes" || w == "ok") {
        ui_.queue(Answer::button(1));
    } else if (w == "no") {
        ui_.queue(Answer::button(2));
    } else {
        ui_.queue(Answer::button(to_int(a[1], "answer")));
    }
}

void ScriptDriver::cmd_close(const Args& a) {
    need(a, 1, 2, "close [WINDOW]");
    Window& w = target_window(a.size() == 2 ? a[1] : std::string_view{});
    const std::string name = w.class_name();
    if (app_.close(w) != 1) write_line(JsonLine("close-refused").add("window", name).str());
}

void ScriptDriver::cmd_sql(const Args& a) {
    need(a, 2, 2, "sql \"STATEMENT\"");
    if (!database_) throw ScriptError("no database for sql");
    const std::string head = text::ascii_lower(a[1].substr(0, a[1].find_first_of(" \t\n(")));
    if (head != "select" && head != "with" && head != "values") {
        write_line(JsonLine("sql").add("changed", database_->execute(a[1])).str());
        return;
    }
    db::Result r = database_->query_all(a[1]);
    std::vector<std::optional<std::string>> columns(r.columns.begin(), r.columns.end());
    std::string rows = "[";
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        std::vector<std::optional<std::string>> cells;
        for (const db::Value& v : r.rows[i]) {
            if (v.is_null())
                cells.emplace_back();
            else if (v.is_bytes())
                cells.emplace_back("[" + std::to_string(v.as_bytes().size()) + " bytes]");
            else
                cells.emplace_back(v.to_string());
        }
        rows += (i ? "," : "") + json_array(cells);
    }
    write_line(
        JsonLine("sql").add_raw("columns", json_array(columns)).add_raw("rows", rows + "]").str());
}

void ScriptDriver::cmd_rows(const Args& a) {
    need(a, 2, 2, "rows DATAWINDOW");
    DataWindowControl& dw = target_data_window(a[1]);
    if (!dw.definition()) throw ScriptError(a[1] + " presents no definition");
    // The same titles and texts the user sees (and the export writes).
    auto as_json = [](const std::vector<std::string>& texts) {
        return json_array(std::vector<std::optional<std::string>>(texts.begin(), texts.end()));
    };
    std::string rows = "[", selected = "[";
    for (int r = 1; r <= dw.rowcount(); ++r) {
        rows += (r > 1 ? "," : "") + as_json(dw.data().row_as_displayed(r));
        if (dw.isselected(r)) selected += (selected.size() > 1 ? "," : "") + std::to_string(r);
    }
    write_line(JsonLine("rows")
                   .add("control", a[1])
                   .add("rowcount", dw.rowcount())
                   .add("current", dw.getrow())
                   .add_raw("selected", selected + "]")
                   .add("modified", dw.modifiedcount())
                   .add("deleted", dw.deletedcount())
                   .add_raw("columns", as_json(dw.data().titles()))
                   .add_raw("rows", rows + "]")
                   .str());
}

void ScriptDriver::cmd_buttons(const Args& a) {
    need(a, 1, 2, "buttons [WINDOW]");
    Window& w = target_window(a.size() == 2 ? a[1] : std::string_view{});
    std::string list = "[";
    bool first = true;
    for (Control* c : w.controls()) {
        if (c->kind() != Control::Kind::command_button) continue;
        list += (first ? "" : ",") + JsonLine("button")
                                         .add("name", c->name())
                                         .add("text", c->text())
                                         .add("enabled", c->enabled())
                                         .add("visible", c->visible())
                                         .str();
        first = false;
    }
    write_line(
        JsonLine("buttons").add("window", w.class_name()).add_raw("buttons", list + "]").str());
}

void ScriptDriver::cmd_text(const Args& a) {
    need(a, 2, 2, "text CONTROL");
    Control& c = target_control(a[1]);
    write_line(JsonLine("text").add("control", a[1]).add("text", c.text()).str());
}

void ScriptDriver::cmd_item(const Args& a) {
    need(a, 4, 4, "item DATAWINDOW ROW COLUMN");
    DataWindowControl& dw = target_data_window(a[1]);
    const int row = to_int(a[2], "row");
    write_line(JsonLine("item")
                   .add("control", a[1])
                   .add("row", row)
                   .add("column", a[3])
                   .add("value", dw.getitemstring(row, a[3]))
                   .add("display", dw.data().display_text(row, a[3]))
                   .str());
}

void ScriptDriver::cmd_describe(const Args& a) {
    need(a, 3, 3, "describe DATAWINDOW PROPERTY");
    DataWindowControl& dw = target_data_window(a[1]);
    write_line(JsonLine("describe")
                   .add("control", a[1])
                   .add("property", a[2])
                   .add("value", dw.describe(a[2]))
                   .str());
}

void ScriptDriver::cmd_file(const Args& a) {
    need(a, 2, 2, "file PATH");
    write_line(JsonLine("file").add("path", a[1]).add("length", app_.files().length(a[1])).str());
}

void ScriptDriver::cmd_variable(std::string_view target) {
    const auto dot = target.find('.');
    Window& w =
        dot == std::string_view::npos ? target_window() : target_window(target.substr(0, dot));
    const std::string name(dot == std::string_view::npos ? target : target.substr(dot + 1));
    const std::optional<std::string> value = w.instance_variable(name);
    if (!value) throw ScriptError("window " + w.class_name() + " has no variable " + name);
    write_line(JsonLine("variable")
                   .add("window", w.class_name())
                   .add("name", name)
                   .add("value", *value)
                   .str());
}

void ScriptDriver::cmd_screenshot(const Args& a) {
    need(a, 2, 2, "screenshot NAME");
    if (!screenshooter_)
        throw ScriptError(
            "screenshots are taken by the desktop program: tarvo --headless "
            "--script FILE --screenshot DIR");
    for (char c : a[1])
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            throw ScriptError("a screenshot name has letters, digits, '-' and '_' only");
    std::vector<std::optional<std::string>> files;
    for (auto& f : screenshooter_(a[1])) files.emplace_back(std::move(f));
    write_line(JsonLine("screenshot").add("name", a[1]).add_raw("files", json_array(files)).str());
}

void ScriptDriver::cmd_windows(const Args& a) {
    need(a, 1, 1, "windows");
    std::vector<std::optional<std::string>> names;
    for (Window* w : app_.windows()) names.emplace_back(w->class_name());
    std::optional<std::string> current;
    try {
        current = target_window().class_name();
    } catch (const ScriptError&) {
    }
    write_line(
        JsonLine("windows").add_raw("windows", json_array(names)).add("current", current).str());
}

}  // namespace runtime
