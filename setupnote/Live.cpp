#include "Live.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

// Form lengths are in twips: 1440 to the inch, scaled with the screen's logical dpi.
int px(const QWidget* w, int twips) {
    return twips * w->logicalDpiX() / 1440;
}

} // namespace

Live::Live(QWidget* parent)
    : QWidget(parent)
    , m_label1(new QLabel(QStringLiteral("Tallyvane  successfully installed"), this))
    , m_label2(new QLabel(
          QStringLiteral("It wil be available from the newly created \ntab created within Excel"),
          this))
    , m_image2(new QLabel(this))
    , m_command1(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("Live"));
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_command1->setObjectName(QStringLiteral("Command1"));
    setWindowTitle(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);

    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);
    QFont heading = tahoma;
    heading.setPointSizeF(9.75);
    heading.setBold(true);
    m_label1->setFont(heading);
    m_label1->setWordWrap(true); // fonts that stand in for Tahoma may run wider

    setFixedSize(px(this, 5568), px(this, 3024));
    m_image2->setPixmap(emblem(px(this, 1080)));
    m_image2->setGeometry(px(this, 240), px(this, 360), px(this, 1080), px(this, 1080));
    m_label1->setGeometry(px(this, 1560), px(this, 360), px(this, 3840), px(this, 420));
    m_label2->setGeometry(px(this, 1560), px(this, 960), px(this, 3840), px(this, 600));
    m_command1->setGeometry(px(this, 2160), px(this, 2160), px(this, 1215), px(this, 435));
    connect(m_command1, &QPushButton::clicked, this, &QWidget::close);
}

QPixmap Live::emblem(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor(120, 190, 255));
    fill.setColorAt(1, QColor(20, 90, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(box);
    QPainterPath tick;
    tick.moveTo(size * 0.28, size * 0.52);
    tick.lineTo(size * 0.44, size * 0.68);
    tick.lineTo(size * 0.74, size * 0.34);
    p.setPen(QPen(Qt::white, size * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return pixmap;
}
