#include "screens/host/n_cst_resize.h"

#include <algorithm>

namespace host {

n_cst_resize::n_cst_resize(runtime::Window& window) {
    // A destroyed control is no longer moved.
    removed_ = window.control_removed.connect([this](runtime::Control& c) {
        std::erase_if(entries_, [&c](const Entry& e) { return e.control == &c; });
    });
}

void n_cst_resize::set_original_size(int width, int height) {
    original_width_ = width;
    original_height_ = height;
}

void n_cst_resize::add(runtime::Control& control, unsigned follow) {
    std::erase_if(entries_, [&control](const Entry& e) { return e.control == &control; });
    entries_.push_back(
        {&control, follow, control.x(), control.y(), control.width(), control.height()});
}

bool n_cst_resize::has(const runtime::Control& control) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&control](const Entry& e) { return e.control == &control; });
}

void n_cst_resize::resize(int width, int height) {
    if (original_width_ <= 0 || original_height_ <= 0) return;
    const int dx = std::max(0, width - original_width_);
    const int dy = std::max(0, height - original_height_);
    for (const Entry& e : entries_) {
        runtime::Control& c = *e.control;
        c.move(e.x + (e.follow & move_right ? dx : 0), e.y + (e.follow & move_down ? dy : 0));
        c.resize(e.width + (e.follow & stretch_right ? dx : 0),
                 e.height + (e.follow & stretch_down ? dy : 0));
    }
}

}  // namespace host
