// The fonts the screens' texts are shown in.
#pragma once

#include <QFont>
#include <string>

namespace ui {

// The screens' face (Arial) at a size and weight, with a Chinese face after it. Qt takes the
// Chinese letters the named face lacks from another font but lays the line out by the named
// face alone, so a field's Chinese text sat at its top edge while Latin text was centred;
// with both faces named, the line is as tall as both need and either text is centred.
QFont screen_font(const std::string& face, int points, int weight);

}  // namespace ui
