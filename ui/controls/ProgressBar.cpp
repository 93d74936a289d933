#include "ui/controls/ProgressBar.h"

#include "ui/platform/Twips.h"

#include <QApplication>
#include <QPainter>
#include <QResizeEvent>
#include <QTransform>
#include <cmath>

namespace controls {

namespace {

// The default of "BorderColor": the groove image's top-left pixel, 1D1D1D.
constexpr ColorValue kGrooveCorner = rgbValue(0x1D, 0x1D, 0x1D);
constexpr ColorValue kStoredForeColor = rgbValue(0xC0, 0xFF, 0xFF);

// Colour masks of the bar colour codes 1 to 6, as colour values (0x00BBGGRR).
ColorValue maskOf(int code) {
    switch (code) {
    case 1:
        return 0x0000FF; // red
    case 2:
        return 0x00FFFF; // yellow
    case 3:
        return 0x00FF00; // green
    case 4:
        return 0xFFFF00; // cyan
    case 5:
        return 0xFF0000; // blue
    case 6:
        return 0xFF00FF; // magenta
    default:
        return 0xFFFFFF;
    }
}

QRgb masked(QRgb pixel, ColorValue mask) {
    const int r = (mask & 0xFF) ? qRed(pixel) : 0;
    const int g = (mask & 0xFF00) ? qGreen(pixel) : 0;
    const int b = (mask & 0xFF0000) ? qBlue(pixel) : 0;
    return qRgb(r, g, b);
}

QRgb blend(QRgb top, QRgb bottom, double t) {
    return qRgb(int(std::lround(qRed(top) + (qRed(bottom) - qRed(top)) * t)),
                int(std::lround(qGreen(top) + (qGreen(bottom) - qGreen(top)) * t)),
                int(std::lround(qBlue(top) + (qBlue(bottom) - qBlue(top)) * t)));
}

} // namespace

const QImage& ProgressBar::barImage() {
    // Each column a vertical gradient, lighter at the top: grey cap and body, blue cap and body.
    static const QImage image = [] {
        QImage img(4, 29, QImage::Format_RGB32);
        const QRgb tops[] = {qRgb(0xC8, 0xC8, 0xC8), qRgb(0xB5, 0xB5, 0xB5), qRgb(0x9C, 0xCD, 0xF6),
                             qRgb(0x84, 0xBF, 0xF0)};
        const QRgb bottoms[] = {qRgb(0x7C, 0x7C, 0x7C), qRgb(0x70, 0x70, 0x70),
                                qRgb(0x58, 0x84, 0xB0), qRgb(0x4B, 0x76, 0xA2)};
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 29; ++y)
                img.setPixel(x, y, blend(tops[x], bottoms[x], y / 28.0));
        return img;
    }();
    return image;
}

const QImage& ProgressBar::grooveImage() {
    // Very dark greys: the end (two columns) and the middle, enabled then disabled. The end's
    // outer column is the darkest; the disabled groove is a little lighter.
    static const QImage image = [] {
        QImage img(6, 31, QImage::Format_RGB32);
        const int top[] = {0x1D, 0x24, 0x27, 0x2A, 0x30, 0x33};
        const int bottom[] = {0x1B, 0x38, 0x3E, 0x36, 0x42, 0x47};
        for (int x = 0; x < 6; ++x)
            for (int y = 0; y < 31; ++y) {
                // Darkest in the middle rows, as a groove is shaded.
                const double t = y / 30.0;
                const int v = int(std::lround(top[x] + (bottom[x] - top[x]) * t * t));
                img.setPixel(x, y, qRgb(v, v, v));
            }
        return img;
    }();
    return image;
}

ProgressBar::ProgressBar(QWidget* parent)
    : QWidget(parent) {
    m_canvasFont = font();
    m_strip = QImage(2, barImage().height(), QImage::Format_RGB32);
    BuildBarStrip();
    DrawFrame();
}

int ProgressBar::thickness() const {
    return std::max(1, int(std::lround(372.0 * logicalDpiY() / 1440.0)));
}

void ProgressBar::setAlignment(int alignment) {
    m_alignment = alignment;
    m_changes.mark(QStringLiteral("Alignment"));
    Paint();
}

void ProgressBar::setBarColor(int code) {
    if (!isEnabled())
        return;
    m_barColor = code;
    m_changes.mark(QStringLiteral("BarColor"));
    BuildBarStrip();
    Paint();
}

void ProgressBar::setBorderColor(ColorValue color) {
    if (!isEnabled())
        return;
    m_borderColor = color;
    m_changes.mark(QStringLiteral("BorderColor"));
    DrawFrame();
    Paint();
}

void ProgressBar::setBorderDefault(bool value) {
    if (!isEnabled())
        return;
    if (value)
        m_borderColor = kGrooveCorner;
    m_borderDefault = value;
    m_changes.mark(QStringLiteral("BorderDefault"));
    DrawFrame();
    Paint();
}

void ProgressBar::setCaption(const QString& caption) {
    if (!isEnabled() && !m_clearing)
        return;
    m_caption = caption;
    m_changes.mark(QStringLiteral("Caption"));
    Paint();
}

void ProgressBar::setEnabledState(bool enabled) {
    setEnabled(enabled); // changeEvent rebuilds and repaints
    m_changes.mark(QStringLiteral("Enabled"));
}

void ProgressBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        BuildBarStrip();
        DrawFrame();
        Paint();
    }
}

void ProgressBar::setFontProperty(const QFont& font) {
    m_canvasFont = font;
    m_changes.mark(QStringLiteral("Font"));
    Paint();
}

void ProgressBar::setForeColor(ColorValue color) {
    if (!isEnabled())
        return;
    m_foreColor = color;
    m_changes.mark(QStringLiteral("ForeColor"));
    Paint();
}

void ProgressBar::setOrientation(int orientation) {
    m_orientation = orientation;
    m_changes.mark(QStringLiteral("Orientation"));
    ApplyOrientation();
}

void ProgressBar::setValue(int newValue) {
    bool changed = false;
    if (!m_clearing) {
        if (!isEnabled())
            return;
        newValue = std::clamp(newValue, 0, 100);
        changed = newValue != m_value;
    }
    m_value = newValue;
    m_changes.mark(QStringLiteral("Value"));
    Paint();
    if (isEnabled() && changed)
        emit Change();
}

void ProgressBar::Clear() {
    m_clearing = true;
    setValue(0);
    setCaption(QString());
    m_clearing = false;
}

void ProgressBar::BuildBarStrip() {
    const bool blue = isEnabled() && m_barColor == 0;
    const ColorValue mask = isEnabled() && m_barColor != 0 ? maskOf(m_barColor) : 0xFFFFFF;
    const QImage& bar = barImage();
    m_strip.fill(Qt::black);
    for (int y = 0; y < m_strip.height(); ++y) {
        for (int x = 0; x < 2; ++x) {
            const QRgb pixel = bar.pixel(blue ? x + 2 : x, y);
            m_strip.setPixel(x, y, blue ? pixel : masked(pixel, mask));
        }
    }
}

void ProgressBar::DrawFrame() {
    const int width = std::max(4, m_canvas.isNull() ? 4 : m_canvas.width());
    const int height = m_canvas.isNull() ? thickness() : m_canvas.height();
    m_pixelsPerPercent = (width - 2) / 100.0;
    QImage frame(width, height, QImage::Format_RGB32);
    frame.fill(Qt::black);
    const QImage& groove = grooveImage();
    const int s = isEnabled() ? 0 : 3;
    const int rows = std::min(height, groove.height());
    QPainter p(&frame);
    p.drawImage(QRect(0, 0, 2, rows), groove, QRect(s, 0, 2, rows));
    p.drawImage(QRect(2, 0, width - 4, rows), groove, QRect(s + 2, 0, 1, rows));
    const QImage end = groove.copy(s, 0, 2, rows).mirrored(true, false);
    p.drawImage(QPoint(width - 2, 0), end);
    if (!m_borderDefault) {
        p.setPen(realColor(m_borderColor));
        p.drawRect(0, 0, width - 1, height - 1);
    }
    p.end();
    m_frame = frame;
    m_canvas = frame;
    PresentImage(m_canvas);
}

void ProgressBar::Paint() {
    if (m_frame.isNull())
        return;
    m_canvas = m_frame;
    if (m_value == 0) {
        DrawFrame();
        return;
    }
    const int h = m_canvas.height() - 2;
    const int body = int(m_value * m_pixelsPerPercent);
    QPainter p(&m_canvas);
    p.drawImage(QRect(1, 1, body, h), m_strip, QRect(1, 0, 1, m_strip.height()));
    p.drawImage(QRect(1, 1, 1, h), m_strip, QRect(0, 0, 1, m_strip.height()));
    p.drawImage(QRect(int(m_value * m_pixelsPerPercent), 1, 1, h), m_strip,
                QRect(0, 0, 1, m_strip.height()));
    const QColor c = isEnabled() ? realColor(m_foreColor) : QColor(0xC0, 0xC0, 0xC0);
    p.setFont(m_canvasFont);
    const QFontMetrics metrics(m_canvasFont);
    const int tw = metrics.horizontalAdvance(m_caption);
    const int th = metrics.height();
    const int x = m_alignment == 0   ? 5
                  : m_alignment == 1 ? m_canvas.width() - tw - 5
                                     : (m_canvas.width() - tw) / 2;
    const int y = (m_canvas.height() - th) / 2 + metrics.ascent();
    const ColorValue shade = toColorValue(c) & 0x404040;
    p.setPen(realColor(shade));
    p.drawText(x, y, m_caption);
    p.setPen(c);
    p.drawText(x - 1, y - 1, m_caption);
    p.end();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    PresentImage(m_canvas);
}

void ProgressBar::PresentImage(const QImage& picture) {
    // Standing: a quarter turn counter-clockwise, so that 0 is at the bottom and the caption reads
    // upwards.
    m_displayed = m_orientation == 0 ? picture : picture.transformed(QTransform().rotate(270));
    update();
}

void ProgressBar::ApplyOrientation() {
    const bool swap =
        (m_orientation == 0 && height() > width()) || (m_orientation != 0 && width() > height());
    if (swap)
        resize(height(), width());
    else
        PresentImage(m_canvas);
}

void ProgressBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_inResize)
        return;
    m_inResize = true;
    const int horizontal = width() > height() ? 0 : 1;
    m_orientation = horizontal;
    if (horizontal == 0) {
        if (height() != thickness())
            resize(width(), thickness());
        m_canvas = QImage(width(), thickness(), QImage::Format_RGB32);
    } else {
        if (width() != thickness())
            resize(thickness(), height());
        m_canvas = QImage(height(), thickness(), QImage::Format_RGB32);
    }
    DrawFrame();
    m_inResize = false;
    Paint();
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_displayed);
}

void ProgressBar::readProperties(const PropertyBag& bag) {
    m_alignment = bag.read(QStringLiteral("Alignment"), 2).toInt();
    m_barColor = bag.read(QStringLiteral("BarColor"), 0).toInt();
    m_borderColor = bag.read(QStringLiteral("BorderColor"), kGrooveCorner).toUInt();
    m_borderDefault = bag.readBool(QStringLiteral("BorderDefault"), true);
    m_caption = bag.read(QStringLiteral("Caption"), QString()).toString();
    const bool enabled = bag.readBool(QStringLiteral("Enabled"), true);
    m_canvasFont = bag.read(QStringLiteral("Font"), font()).value<QFont>();
    m_foreColor = bag.read(QStringLiteral("ForeColor"), kStoredForeColor).toUInt();
    m_orientation = bag.read(QStringLiteral("Orientation"), 0).toInt();
    m_value = qint16(bag.read(QStringLiteral("Value"), 0).toInt());
    setEnabled(enabled);
    DrawFrame();
    BuildBarStrip();
    Paint();
}

void ProgressBar::writeProperties(PropertyBag& bag) const {
    bag.write(QStringLiteral("Alignment"), m_alignment, 2);
    bag.write(QStringLiteral("BarColor"), m_barColor, 0);
    bag.write(QStringLiteral("BorderColor"), m_borderColor, kGrooveCorner);
    bag.writeBool(QStringLiteral("BorderDefault"), m_borderDefault, true);
    bag.write(QStringLiteral("Caption"), m_caption, QString());
    bag.writeBool(QStringLiteral("Enabled"), isEnabled(), true);
    bag.write(QStringLiteral("Font"), m_canvasFont, font());
    bag.write(QStringLiteral("ForeColor"), m_foreColor, kStoredForeColor);
    bag.write(QStringLiteral("Orientation"), m_orientation, 0);
    bag.write(QStringLiteral("Value"), m_value, 0);
}

} // namespace controls
