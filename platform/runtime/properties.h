// What windows and controls share: properties that announce their changes by name, so a
// presentation can mirror them.
#pragma once

#include <string_view>
#include <utility>

#include "platform/runtime/signal.h"

namespace runtime {

class PropertyOwner {
  public:
    // Fired with the property's name after its value changed.
    Signal<std::string_view> property_changed;

  protected:
    PropertyOwner() = default;
    ~PropertyOwner() = default;

    // Sets a property and announces it, unless the value stays the same.
    template <class T, class U>
    void assign(T& field, U&& value, std::string_view property) {
        if (field == value) return;
        field = std::forward<U>(value);
        property_changed.fire(property);
    }
};

}  // namespace runtime
