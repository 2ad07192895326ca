// The host's resize service: controls registered with it follow the size of their window.
// Each keeps its distance to the edges it follows; what is not registered keeps its place
// and size. Below the window's original size nothing moves or shrinks further.
#pragma once

#include <vector>

#include "platform/runtime/control.h"
#include "platform/runtime/signal.h"
#include "platform/runtime/window.h"

namespace host {

class n_cst_resize {
  public:
    // How a control follows its window; the flags combine.
    enum Follow : unsigned {
        move_right = 1,     // keeps its distance to the right edge
        move_down = 2,      // keeps its distance to the bottom edge
        stretch_right = 4,  // its right side keeps its distance to the right edge
        stretch_down = 8,   // its bottom keeps its distance to the bottom edge
    };

    explicit n_cst_resize(runtime::Window& window);

    // The window's size (layout units) that the registered controls were laid out for.
    void set_original_size(int width, int height);
    // Registers a control with the way it follows; a second call replaces the first.
    void add(runtime::Control& control, unsigned follow);
    bool has(const runtime::Control& control) const;
    // The window's area is now width x height: moves and sizes the registered controls.
    void resize(int width, int height);

  private:
    struct Entry {
        runtime::Control* control;
        unsigned follow;
        int x, y, width, height;  // as laid out for the original size
    };

    std::vector<Entry> entries_;
    int original_width_ = 0, original_height_ = 0;
    runtime::SignalLink removed_;
};

}  // namespace host
