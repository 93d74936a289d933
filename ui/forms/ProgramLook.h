#pragma once
// The program's own look, shared by its windows: the caption bar's style, colours and font.

#include <QString>

namespace controls {
class TitelBar;
}

namespace forms {

// Style 4, a cover of 3 tenths, the first gradient lavender to lavender, the second white to
// white, all caption buttons drawn enabled, Tahoma at 14.4 points.
void styleCaptionBar(controls::TitelBar* bar, const QString& caption);

} // namespace forms
