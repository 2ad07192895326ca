// Layout units to pixels. At 96 dots per inch a horizontal unit is 7/32 pixel and a vertical
// unit 1/4 pixel; these are Qt's device-independent pixels, which Qt scales by the screen's
// device pixel ratio.
#pragma once

#include <QRect>

namespace ui {

inline int px_x(int units) {
    return (units * 7 + 16) / 32;
}
inline int px_y(int units) {
    return (units + 2) / 4;
}
inline QRect px_rect(int x, int y, int width, int height) {
    return QRect(px_x(x), px_y(y), px_x(width), px_y(height));
}
// Pixels to layout units, so that px_x(units_x(p)) == p and px_y(units_y(p)) == p.
inline int units_x(int px) {
    return (px * 32 + 3) / 7;
}
inline int units_y(int px) {
    return px * 4;
}

}  // namespace ui
