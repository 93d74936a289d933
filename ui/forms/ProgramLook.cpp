#include "ui/forms/ProgramLook.h"

#include "ui/controls/TitelBar.h"

#include <QShortcut>

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
    // The window has no frame of the window system's, and so none of its keys: Esc closes it as
    // the caption bar's close button does.
    QWidget* window = bar->window();
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

} // namespace forms
