#include "ui/platform/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace platform {

namespace {

QPixmap canvas(int size) {
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    return p;
}

QPixmap triangle(bool up) {
    QPixmap pixmap = canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 110));
    QPainterPath path;
    if (up) {
        path.moveTo(8, 4);
        path.lineTo(13, 11);
        path.lineTo(3, 11);
    } else {
        path.moveTo(3, 5);
        path.lineTo(13, 5);
        path.lineTo(8, 12);
    }
    path.closeSubpath();
    p.drawPath(path);
    return pixmap;
}

} // namespace

QPixmap rangePicture(int size) {
    QPixmap pixmap = canvas(size);
    QPainter p(&pixmap);
    const double cell = size / 4.0;
    p.setPen(QPen(QColor(90, 90, 90), 1));
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const QRectF box(cell * 0.5 + c * cell, cell * 0.5 + r * cell, cell, cell);
            p.fillRect(box, c == 1 ? QColor(192, 192, 255) : Qt::white);
            p.drawRect(box);
        }
    }
    p.setPen(QPen(QColor(20, 60, 200), 2));
    p.drawRect(QRectF(cell * 1.5, cell * 0.5, cell, cell * 3));
    return pixmap;
}

QPixmap searchPicture(int size) {
    QPixmap pixmap = canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), size / 10.0));
    p.setBrush(QColor(220, 235, 255));
    p.drawEllipse(QRectF(size * 0.12, size * 0.12, size * 0.5, size * 0.5));
    p.setPen(QPen(QColor(60, 60, 60), size / 7.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(size * 0.56, size * 0.56), QPointF(size * 0.86, size * 0.86));
    return pixmap;
}

QPixmap exportPicture(int size) {
    QPixmap pixmap = canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet(size * 0.15, size * 0.1, size * 0.55, size * 0.75);
    p.setPen(QPen(QColor(40, 110, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    for (int i = 1; i <= 3; ++i)
        p.drawLine(QPointF(sheet.left() + 3, sheet.top() + i * sheet.height() / 4),
                   QPointF(sheet.right() - 3, sheet.top() + i * sheet.height() / 4));
    p.setBrush(QColor(40, 140, 70));
    p.setPen(Qt::NoPen);
    QPainterPath arrow;
    arrow.moveTo(size * 0.55, size * 0.5);
    arrow.lineTo(size * 0.95, size * 0.7);
    arrow.lineTo(size * 0.55, size * 0.9);
    arrow.closeSubpath();
    p.drawPath(arrow);
    return pixmap;
}

QHash<QString, QIcon> sortImages() {
    return {{QStringLiteral("up"), QIcon(triangle(true))},
            {QStringLiteral("down"), QIcon(triangle(false))}};
}

} // namespace platform
