// A minimal observer list: the runtime's objects announce changes through it so that a
// presentation (or a test) can mirror them without the objects knowing who listens.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace runtime {

template <class... Args>
class Signal {
  public:
    using Slot = std::function<void(Args...)>;

    // Returns an id for disconnect().
    int connect(Slot slot) {
        slots_.emplace_back(++last_id_, std::move(slot));
        return last_id_;
    }
    void disconnect(int id) {
        std::erase_if(slots_, [id](const auto& s) { return s.first == id; });
    }
    // Slots may connect or disconnect while being called; a copy keeps the walk safe.
    void emit(Args... args) const {
        auto slots = slots_;
        for (auto& [id, slot] : slots) slot(args...);
    }

  private:
    std::vector<std::pair<int, Slot>> slots_;
    int last_id_ = 0;
};

}  // namespace runtime
