#include "ProgramLook.h"

#include "controls/TitelBar.h"

namespace forms {

void styleCaptionBar(controls::TitelBar* bar, const QString& caption) {
    using controls::rgbValue;
    bar->setStyle(4);
    bar->setBackColorCover(3);
    bar->setGradient(rgbValue(192, 192, 255), rgbValue(192, 192, 255), rgbValue(255, 255, 255),
                     rgbValue(255, 255, 255));
    bar->setButtonsEnabled(true, true, true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(14.4);
    bar->setFontProperty(font);
    bar->setCaption(caption);
}

} // namespace forms
