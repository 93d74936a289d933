#include "ui/forms/About.h"

#include "ui/forms/ProgramLook.h"
#include "ui/controls/ThemedButton.h"
#include "ui/controls/TitelBar.h"
#include "ui/controls/clsShadow.h"
#include "core/platform/ProductAddresses.h"
#include "ui/platform/Shell.h"
#include "ui/platform/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>

namespace forms {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

void colour(QWidget* w, const QColor& background, const QColor& text) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
}

// The decoration: a small Pareto chart, columns falling and the cumulative line rising.
QPixmap decoration(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double shares[] = {0.42, 0.24, 0.14, 0.09, 0.06, 0.05};
    const double column = width / 7.0;
    QPolygonF curve;
    double running = 0;
    for (int i = 0; i < 6; ++i) {
        const double h = shares[i] * (height - 8) * 2;
        p.fillRect(QRectF(4 + i * column, height - 4 - h, column * 0.8, h), QColor(0, 32, 96));
        running += shares[i];
        curve << QPointF(4 + i * column + column * 0.4, height - 4 - running * (height - 8));
    }
    p.setPen(QPen(QColor(220, 50, 40), 2));
    p.drawPolyline(curve);
    return pixmap;
}

} // namespace

About& About::instance() {
    static QPointer<About> window;
    if (!window)
        window = new About;
    return *window;
}

About::About()
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint) {
    using platform::twipsRect;
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("Tallyvane"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);
    setFixedSize(platform::twipsToPixels(this, 6000), platform::twipsToPixelsY(this, 3600));

    auto* caption = new controls::TitelBar(this);
    caption->setObjectName(QStringLiteral("TitelBar1"));
    caption->setGeometry(twipsRect(this, 0, 0, 6000, 492));
    styleCaptionBar(caption, QStringLiteral("Tallyvane"));
    QLabel* name =
        label(this, "Label1", QStringLiteral("Tallyvane"), twipsRect(this, 2400, 720, 3360, 492));
    QFont big = tahoma;
    big.setPointSizeF(18);
    big.setBold(true);
    name->setFont(big);
    label(this, "Label2", QStringLiteral("Frequency Analysis"),
          twipsRect(this, 2400, 1260, 3360, 300));
    QLabel* notice =
        label(this, "Label3", QStringLiteral("  Pareto analysis of spreadsheet columns"),
              twipsRect(this, 2400, 1680, 3360, 300));
    colour(notice, QColor(58, 168, 254), Qt::white);
    m_label4 = label(this, "Label4", QStringLiteral("X"), twipsRect(this, 5640, 60, 300, 360));
    m_label4->setAlignment(Qt::AlignCenter);
    m_label4->setCursor(Qt::PointingHandCursor);
    colour(m_label4, QColor(192, 192, 255), Qt::white);
    m_label4->installEventFilter(this);
    // A label lies under the caption bar, which is a window of its own: the bar's close and
    // minimise buttons are what shows there.
    m_label4->stackUnder(caption);
    QLabel* picture = label(this, "Picture2", QString(), twipsRect(this, 360, 720, 1800, 1500));
    picture->setPixmap(decoration(picture->width(), picture->height()));
    picture->setFrameShape(QFrame::Box);
    // The image: the product's mark, small, under the picture; the shape: a rule under the
    // product's name.
    QLabel* image = label(this, "Image1", QString(), twipsRect(this, 360, 2640, 420, 420));
    image->setPixmap(decoration(image->width(), image->height()));
    auto* shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setGeometry(twipsRect(this, 2400, 1212, 3360, 15));
    shape->setFrameShape(QFrame::HLine);
    colour(shape, QColor(192, 192, 255), QColor(192, 192, 255));
    auto* contactUs = new controls::ThemedButton(this, QStringLiteral("ContactUs"));
    contactUs->setGeometry(twipsRect(this, 2400, 2640, 1500, 420));
    contactUs->setButtonThemeType(1);
    contactUs->setBackColor(controls::rgbValue(58, 168, 254));
    contactUs->setForeColor(controls::rgbValue(255, 255, 255));
    contactUs->setCaption(QStringLiteral("Web site"));
    connect(contactUs, &controls::ThemedButton::Click, this, &About::openWebSite);
    controls::attachShadow(this);
}

bool About::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_label4 && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void About::openWebSite() {
    // The window closes whether or not a browser opens.
    close();
    platform::openAddress(platform::kWebSite);
    emit webSiteOpened();
}

} // namespace forms
