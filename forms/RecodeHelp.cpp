#include "RecodeHelp.h"

#include "platform/Twips.h"

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
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
    , m_caption(new QLabel(QStringLiteral("Tallyvane"), this))
    , m_text(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("RecodeHelp"));
    setWindowTitle(QStringLiteral("Tallyvane"));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);
    // Stands where the caption bar goes.
    m_caption->setObjectName(QStringLiteral("TitelBar1"));
    m_caption->setAutoFillBackground(true);
    QPalette captionColours = m_caption->palette();
    captionColours.setColor(QPalette::Window, QColor(192, 192, 255));
    captionColours.setColor(QPalette::WindowText, Qt::white);
    m_caption->setPalette(captionColours);
    m_caption->setFixedHeight(platform::twipsToPixelsY(this, 492));
    m_caption->setContentsMargins(8, 0, 0, 0);
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
