#include "ui/forms/RecodeHelp.h"

#include "ui/forms/ProgramLook.h"
#include "ui/controls/TitelBar.h"
#include "ui/platform/Twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace forms {

RecodeHelp& RecodeHelp::instance() {
    static QPointer<RecodeHelp> window;
    if (!window)
        window = new RecodeHelp;
    return *window;
}

RecodeHelp::RecodeHelp()
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint)
    , m_caption(new controls::TitelBar(this))
    , m_text(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("RecodeHelp"));
    setWindowTitle(QStringLiteral("Tallyvane"));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);
    m_caption->setObjectName(QStringLiteral("TitelBar1"));
    m_caption->setShowButtons(true, false, false);
    styleCaptionBar(m_caption, QStringLiteral("Tallyvane"));
    m_caption->setFixedHeight(platform::twipsToPixelsY(this, 492));
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_text, 1);
    resize(platform::twipsToPixels(this, 5400), platform::twipsToPixelsY(this, 2800));
}

void RecodeHelp::setText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_text->setPlainText(shown);
}

QString RecodeHelp::text() const {
    return m_text->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void RecodeHelp::setHeightTwips(int twips) {
    resize(width(), platform::twipsToPixelsY(this, twips));
}

} // namespace forms
