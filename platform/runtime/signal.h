// Signals: the runtime's objects announce changes through them, so a presentation (or a test)
// can mirror them without the objects knowing who listens.
//
// connect() returns a SignalLink that ends the link when it is destroyed (or disconnected), so
// an observer that keeps its links as members is detached when it dies. When the signal dies
// first the link simply has nothing left to end. A slot disconnected while the
// signal fires (by an earlier slot) is not called. The firing function is named fire(), not
// emit(), so Qt's `emit` macro can stand beside it.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace runtime {

namespace signal_detail {
struct SlotState {
    bool connected = true;
};
}  // namespace signal_detail

class SignalLink {
  public:
    SignalLink() = default;
    explicit SignalLink(std::weak_ptr<signal_detail::SlotState> slot) : slot_(std::move(slot)) {}
    SignalLink(SignalLink&& other) noexcept = default;
    SignalLink& operator=(SignalLink&& other) noexcept {
        if (this != &other) {
            disconnect();
            slot_ = std::move(other.slot_);
        }
        return *this;
    }
    SignalLink(const SignalLink&) = delete;
    SignalLink& operator=(const SignalLink&) = delete;
    ~SignalLink() { disconnect(); }

    void disconnect() {
        if (auto s = slot_.lock()) s->connected = false;
        slot_.reset();
    }
    bool connected() const {
        auto s = slot_.lock();
        return s && s->connected;
    }

  private:
    std::weak_ptr<signal_detail::SlotState> slot_;
};

// Links kept together, all ended at once when the holder dies.
class SignalLinks {
  public:
    SignalLinks& operator+=(SignalLink c) {
        list_.push_back(std::move(c));
        return *this;
    }
    void clear() { list_.clear(); }

  private:
    std::vector<SignalLink> list_;
};

template <class... Args>
class Signal {
  public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] SignalLink connect(Slot slot) {
        std::erase_if(slots_, [](const auto& s) { return !s->connected; });
        auto entry = std::make_shared<Entry>();
        entry->slot = std::move(slot);
        slots_.push_back(entry);
        return SignalLink(entry);
    }

    // Calls every connected slot in connection order. Slots may connect, disconnect or
    // destroy observers while being called; the walk keeps its own list of entries.
    void fire(Args... args) const {
        if (slots_.empty()) return;
        auto entries = slots_;
        for (const auto& e : entries)
            if (e->connected) e->slot(args...);
    }

    bool empty() const {
        for (const auto& e : slots_)
            if (e->connected) return false;
        return true;
    }

  private:
    struct Entry : signal_detail::SlotState {
        Slot slot;
    };
    std::vector<std::shared_ptr<Entry>> slots_;
};

}  // namespace runtime
