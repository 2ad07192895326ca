#include "platform/runtime/interaction.h"

namespace runtime {

int button_count(Buttons b) {
    switch (b) {
        case Buttons::ok:
            return 1;
        case Buttons::ok_cancel:
        case Buttons::yes_no:
        case Buttons::retry_cancel:
            return 2;
        case Buttons::yes_no_cancel:
        case Buttons::abort_retry_ignore:
            return 3;
    }
    return 1;
}

const char* icon_name(Icon i) {
    switch (i) {
        case Icon::none:
            return "none";
        case Icon::information:
            return "information";
        case Icon::stop_sign:
            return "stopsign";
        case Icon::exclamation:
            return "exclamation";
        case Icon::question:
            return "question";
    }
    return "none";
}

const char* buttons_name(Buttons b) {
    switch (b) {
        case Buttons::ok:
            return "ok";
        case Buttons::ok_cancel:
            return "okcancel";
        case Buttons::yes_no:
            return "yesno";
        case Buttons::yes_no_cancel:
            return "yesnocancel";
        case Buttons::retry_cancel:
            return "retrycancel";
        case Buttons::abort_retry_ignore:
            return "abortretryignore";
    }
    return "ok";
}

const char* layout_name(PrintJob::Layout layout) {
    return layout == PrintJob::Layout::card ? "card" : "table";
}

}  // namespace runtime
