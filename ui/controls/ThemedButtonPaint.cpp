// Painting of the themed button in its three looks, its caption and picture, and its window shape.
#include "ui/controls/ThemedButton.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <cmath>

namespace controls {

QRegion roundRectRegion(int x1, int y1, int x2, int y2, int ew, int eh) {
    if (x2 <= x1 || y2 <= y1)
        return {};
    const double rx = std::min(ew, x2 - x1) / 2.0;
    const double ry = std::min(eh, y2 - y1) / 2.0;
    if (rx <= 0 || ry <= 0)
        return QRegion(x1, y1, x2 - x1, y2 - y1);
    // Row by row: the rows within a corner's height are cut in by the ellipse's curve.
    QRegion region;
    const int h = y2 - y1;
    for (int row = 0; row < h; ++row) {
        const double fromEdge = std::min(row, h - 1 - row) + 0.5;
        int inset = 0;
        if (fromEdge < ry) {
            const double dy = (ry - fromEdge) / ry;
            inset = int(std::ceil(rx - rx * std::sqrt(std::max(0.0, 1 - dy * dy)) - 1e-9));
        }
        region += QRect(x1 + inset, y1 + row, (x2 - x1) - 2 * inset, 1);
    }
    return region;
}

void ThemedButton::ApplyShape() {
    const int W = width(), H = height();
    const bool skinned = m_themeType == 1;
    if (!skinned) {
        m_shape = m_themeActive ? roundRectRegion(1, 1, W, H, 3, 3) : QRegion(1, 1, W - 1, H - 1);
    } else {
        const int r = m_rounding;
        const int x1 = (m_corner == 3 || m_corner == 8) ? -r : 0;
        const int x2 = (m_corner == 2 || m_corner == 7) ? W + r + 1 : W + 1;
        m_shape = r > 0 ? roundRectRegion(x1, 0, x2, H + 1, r, r) : QRegion(x1, 0, x2 - x1, H + 1);
        switch (m_corner) {
        case 1:
        case 2:
        case 3:
            m_shape += QRegion(0, r, W, H - r);
            break;
        case 4:
            m_shape += QRegion(r, 0, W - r, H);
            break;
        case 5:
            m_shape += QRegion(0, 0, W - r, H);
            break;
        case 6:
        case 7:
        case 8:
            m_shape += QRegion(0, 0, W, H - r);
            break;
        default:
            break;
        }
    }
    setMask(m_shape);
}

namespace {

// The classic raised edge: light and white on the top and left, dark shadows on the bottom and
// right, two pixels deep.
void raisedEdge(QPainter& p, const QRect& r) {
    const int x2 = r.right(), y2 = r.bottom();
    p.setPen(realColor(systemColor(kColorLight)));
    p.drawLine(r.left(), r.top(), x2 - 1, r.top());
    p.drawLine(r.left(), r.top(), r.left(), y2 - 1);
    p.setPen(realColor(systemColor(kColorDarkShadow)));
    p.drawLine(r.left(), y2, x2, y2);
    p.drawLine(x2, r.top(), x2, y2);
    p.setPen(realColor(systemColor(kColorButtonHighlight)));
    p.drawLine(r.left() + 1, r.top() + 1, x2 - 2, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, y2 - 2);
    p.setPen(realColor(systemColor(kColorButtonShadow)));
    p.drawLine(r.left() + 1, y2 - 1, x2 - 1, y2 - 1);
    p.drawLine(x2 - 1, r.top() + 1, x2 - 1, y2 - 1);
}

void sunkenEdge(QPainter& p, const QRect& r) {
    const int x2 = r.right(), y2 = r.bottom();
    p.setPen(realColor(systemColor(kColorButtonShadow)));
    p.drawLine(r.left(), r.top(), x2 - 1, r.top());
    p.drawLine(r.left(), r.top(), r.left(), y2 - 1);
    p.setPen(realColor(systemColor(kColorButtonHighlight)));
    p.drawLine(r.left(), y2, x2, y2);
    p.drawLine(x2, r.top(), x2, y2);
    p.setPen(realColor(systemColor(kColorDarkShadow)));
    p.drawLine(r.left() + 1, r.top() + 1, x2 - 2, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, y2 - 2);
    p.setPen(realColor(systemColor(kColorLight)));
    p.drawLine(r.left() + 1, y2 - 1, x2 - 1, y2 - 1);
    p.drawLine(x2 - 1, r.top() + 1, x2 - 1, y2 - 1);
}

// The dotted focus rectangle: every other pixel of its outline inverted.
void focusRectangle(QImage& img, const QRect& r) {
    const auto invert = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
            return;
        const QRgb c = img.pixel(x, y);
        img.setPixel(x, y, qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)));
    };
    int n = 0;
    for (int x = r.left(); x < r.right(); ++x, ++n)
        if (n % 2 == 0)
            invert(x, r.top());
    for (int y = r.top(); y < r.bottom(); ++y, ++n)
        if (n % 2 == 0)
            invert(r.right() - 1, y);
    for (int x = r.right() - 1; x >= r.left(); --x, ++n)
        if (n % 2 == 0)
            invert(x, r.bottom() - 1);
    for (int y = r.bottom() - 1; y > r.top(); --y, ++n)
        if (n % 2 == 0)
            invert(r.left(), y);
}

} // namespace

void ThemedButton::Refresh() {
    const int W = width(), H = height();
    if (W < 1 || H < 1)
        return;
    if (!isEnabled())
        m_state = Disabled;
    m_surface = QImage(W, H, QImage::Format_RGB32);
    m_surface.fill(realColor(m_background));
    QPainter p(&m_surface);
    const bool push = isPush();
    const QRect glyphBox =
        push ? m_clientRect
             : (m_captionAlign == 1 ? QRect(QPoint(W - 16, 0), QPoint(W - 2, H - 1))
                                    : QRect(QPoint(1, 0), QPoint(16, H - 1)));
    if (m_themeType == 1) {
        int slot = std::max(int(m_state) - 1, 0);
        if (!push)
            slot += m_value == 1 ? 4 : (m_value == 2 ? 8 : 0);
        if (push && m_state == Defaulted)
            slot = SlotDefaulted;
        const QImage& glyph = m_glyphs.at(size_t(std::min(slot, 12)));
        if (!glyph.isNull()) {
            if (push)
                p.drawImage(QRect(0, 0, W, H), glyph);
            else
                p.drawImage(QRect(m_captionAlign == 1 ? W - 18 : 0, (H - 18) / 2, 18, 18), glyph);
        }
    } else if (m_themeActive) {
        if (!push && m_state == Normal && m_mouseInside)
            m_state = Over;
        if (!push && m_picture.isNull())
            m_pictureExtent = 16;
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = push ? m_clientRect : glyphBox;
        option.state &= ~QStyle::State_HasFocus;
        if (m_state == Pressed)
            option.state |= QStyle::State_Sunken;
        else
            option.state |= QStyle::State_Raised;
        if (m_state == Over)
            option.state |= QStyle::State_MouseOver;
        if (m_state == Disabled)
            option.state &= ~QStyle::State_Enabled;
        option.state |= m_value == 1 ? QStyle::State_On
                                     : (m_value == 2 ? QStyle::State_NoChange : QStyle::State_Off);
        p.setClipRect(option.rect);
        const QStyle::PrimitiveElement element =
            m_type == OptionButton ? QStyle::PE_IndicatorRadioButton
            : m_type == CheckBox   ? QStyle::PE_IndicatorCheckBox
                                   : QStyle::PE_PanelButtonCommand;
        if (!push) {
            option.rect = QRect(glyphBox.left(), (H - 13) / 2, 13, 13);
        }
        style()->drawPrimitive(element, &option, &p, this);
        p.setClipping(false);
    } else {
        if (push) {
            if (m_state != Pressed) {
                raisedEdge(p, m_clientRect);
            } else {
                p.setPen(Qt::white);
                p.drawRect(QRect(QPoint(1, 1), QPoint(W - 3, H - 3)));
                p.setPen(realColor(systemColor(kColorButtonShadow)));
                p.drawRect(QRect(QPoint(1, 1), QPoint(W - 2, H - 2)));
            }
            if (m_hasFocus || m_displayAsDefault) {
                p.setPen(Qt::black);
                p.drawRect(QRect(QPoint(0, 0), QPoint(W - 2, H - 2)));
            }
        } else {
            m_pictureExtent = 16;
            const int x = (m_captionAlign == 1 ? W - 19 : 0) + 1;
            const bool pressed = m_state == Pressed;
            p.setRenderHint(QPainter::Antialiasing, true);
            if (m_type == OptionButton) {
                const QPointF c(x + 8, 9);
                const auto arc = [&](double radius, double from, double to, const QColor& colour) {
                    p.setPen(colour);
                    p.drawArc(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius),
                              int(from * 180 / M_PI * 16), int((to - from) * 180 / M_PI * 16));
                };
                arc(7, 1, 4, realColor(systemColor(kColorInactiveCaption)));
                arc(7, 4, 1 + 2 * M_PI, Qt::white);
                arc(6, 1, 4, Qt::black);
                arc(6, 4, 1 + 2 * M_PI, QColor(0xF1, 0xF1, 0xF2));
                const QColor fill = realColor(systemColor(pressed ? kColorLight : kColorWindow));
                p.setPen(Qt::NoPen);
                p.setBrush(fill);
                p.drawEllipse(c, 5, 5);
                if (m_value != 0) {
                    p.setPen(fill);
                    p.setBrush(Qt::black);
                    p.drawEllipse(c, 4, 4);
                }
                p.setBrush(Qt::NoBrush);
            } else {
                const QColor fill = pressed        ? realColor(systemColor(kColorLight))
                                    : m_value == 2 ? QColor(0xF1, 0xF1, 0xF2)
                                                   : realColor(systemColor(kColorWindow));
                const QColor mark = (m_value == 2 && !pressed)
                                        ? realColor(systemColor(kColorInactiveCaption))
                                        : QColor(Qt::black);
                p.setRenderHint(QPainter::Antialiasing, false);
                sunkenEdge(p, QRect(QPoint(x, 1), QPoint(x + 15, 16)));
                p.fillRect(QRect(QPoint(x + 2, 3), QPoint(x + 12, 13)), fill);
                if (m_value != 0) {
                    p.setPen(QPen(mark, 2));
                    p.drawLine(x + 4, 8, x + 7, 11);
                    p.drawLine(x + 6, 11, x + 11, 6);
                }
            }
            p.setRenderHint(QPainter::Antialiasing, false);
        }
    }
    p.end();
    if (!m_caption.isEmpty())
        DrawCaption(m_pictureExtent + 5);
    if (!m_picture.isNull() && push)
        DrawPicture(m_pictureExtent);
    if (m_hasFocus && m_showFocusRect)
        focusRectangle(m_surface, m_focusRect);
    update();
}

void ThemedButton::DrawCaption(int offset) {
    const int W = width(), H = height();
    const bool push = isPush();
    int hOff = 0, vOff = 0;
    if (!m_picture.isNull()) {
        (m_pictureAlign == 0 || m_pictureAlign == 4 ? vOff : hOff) = offset;
    } else if (!push) {
        hOff = offset;
    }
    QPainter p(&m_surface);
    p.setFont(font());
    const int wrap = Qt::TextWordWrap | Qt::TextShowMnemonic;
    QRect r(QPoint(6, 6), QPoint(W - 6 - 1, H - 6 - 1));
    r = p.boundingRect(r, wrap, m_caption);
    r.translate((W - (r.right() + 1) - 6 + hOff) / 2, (H - (r.bottom() + 1) - 6 + vOff) / 2);
    const int pr = push && m_state == Pressed ? 1 : 0;
    r.setTop(r.top() + pr);
    r.setBottom(r.bottom() + pr);
    r.setLeft(6 + pr);
    r.setRight(W - 6 + pr - 1);
    if (m_pictureAlign == 4 && !m_picture.isNull())
        r.setTop(r.top() - vOff);
    if (m_pictureAlign == 1 && !m_picture.isNull())
        r.setLeft(r.left() + hOff);
    if (m_pictureAlign == 3 && !m_picture.isNull())
        r.setRight(r.right() - hOff);
    int align = Qt::AlignLeft;
    if (push) {
        align = m_captionAlign == 0 ? Qt::AlignLeft
                                    : (m_captionAlign == 1 ? Qt::AlignRight : Qt::AlignHCenter);
    } else {
        const int left = m_captionAlign == 1 ? 6 : offset;
        int right = W - offset + (m_captionAlign == 0 ? offset - 6 : 0);
        r = QRect(QPoint(left, 5), QPoint(right - 1, H - 5 - 1));
    }
    const QRect t = p.boundingRect(r, wrap | align, m_caption);
    m_captionRect = r;
    if (!push) {
        m_focusRect = QRect(QPoint(t.left() - 2, std::max(t.top(), 1)),
                            QPoint(t.right() + 1, std::min(t.bottom() + 1, H - 1)));
    } else if (m_focusStyle == 1) {
        QRect f = t;
        if (m_captionAlign == 0) {
            f.setLeft(f.left() - 2);
        } else if (m_captionAlign == 2) {
            const int left =
                (W - (t.right() + 1)) / 2 + t.left() - 4 - (m_state == Pressed ? 1 : 0);
            f = QRect(QPoint(left, t.top()), QPoint(left + t.right() + 1 - 4 - 1, t.bottom()));
        } else {
            const int left = W - (t.right() + 1) + t.left() - 8;
            f = QRect(QPoint(left, t.top()), QPoint(left + t.right() + 1 - 4 - 1, t.bottom()));
        }
        m_focusRect = f;
    }
    if (isEnabled()) {
        if (m_captionShadow) {
            const QRgb under =
                m_surface.pixel(std::clamp(r.left(), 0, W - 1), std::clamp(r.top(), 0, H - 1));
            p.setPen(QColor::fromRgb(under & 0xDCDCDC));
            p.drawText(r.translated(1, 1), wrap | align, m_caption);
        }
        p.setPen(realColor(m_foreColor));
    } else {
        p.setPen(realColor(systemColor(kColorGrayText)));
    }
    p.drawText(r, wrap | align, m_caption);
}

void ThemedButton::DrawPicture(int extent) {
    const int W = width(), H = height();
    const int w = m_pictureSize == 5 ? W : extent;
    const int h = m_pictureSize == 5 ? H : extent;
    const int x0 = (W - w) / 2;
    const int pr = m_state == Pressed ? 1 : 0;
    int x = x0, y = (H - h) / 2;
    switch (m_pictureAlign) {
    case 0:
        x = x0 + pr;
        y = (m_captionRect.top() - h) / 2;
        break;
    case 4:
        x = x0 + pr;
        y = H - (m_captionRect.height() + h) / 2 - 2;
        break;
    case 1:
        x = (m_captionRect.left() - w) / 2 + 2;
        break;
    case 3:
        x = (W - (m_captionRect.right() + 1) - w) / 2 + m_captionRect.right() + 1 - 2;
        break;
    default:
        break;
    }
    y += pr;
    // A bitmap's top-left colour is transparent; icons carry their own alpha.
    QImage picture = m_picture.convertToFormat(QImage::Format_ARGB32);
    if (!m_picture.hasAlphaChannel()) {
        const QRgb key = picture.pixel(0, 0);
        for (int py = 0; py < picture.height(); ++py)
            for (int px = 0; px < picture.width(); ++px)
                if (picture.pixel(px, py) == key)
                    picture.setPixel(px, py, qRgba(0, 0, 0, 0));
    }
    QPainter p(&m_surface);
    p.drawImage(QRect(x, y, w, h), picture);
    p.end();
    if (!isEnabled()) {
        // Washed out: every channel OR 0x7F.
        for (int py = std::max(0, y); py < std::min(H, y + h); ++py)
            for (int px = std::max(0, x); px < std::min(W, x + w); ++px)
                m_surface.setPixel(px, py, m_surface.pixel(px, py) | 0x7F7F7F);
    }
}

} // namespace controls
