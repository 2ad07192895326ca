// The fonts the screens' texts are shown and printed in.
#pragma once

#include <QFont>
#include <string>

namespace ui {

// The screens' texts at a size and weight, on the screen: in the Chinese face, which has the
// Latin letters too, with the screens' face (Arial) after it where there is none. A line edit
// lays its line out by the first face's height: with Arial first, Chinese letters (taken from
// another font, taller) sat at the field's top edge while Latin text was centred.
QFont screen_font(const std::string& face, int points, int weight);

// The same for printing: the screens' face for Latin letters (as the system resolves it:
// Liberation Sans for Arial) and the Chinese face for the rest. Printed lines have no field
// to sit in, and PDF text taken from the Latin face reads back exactly (pdftotext).
QFont print_font(const std::string& face, int points, int weight);

}  // namespace ui
