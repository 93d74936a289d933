// Painting of the caption bar: gradient styles, icon, 3-D caption, border, caption buttons.
#include "ui/controls/TitelBar.h"

#include <QLabel>
#include <QPainter>
#include <cmath>

namespace controls {

namespace {

struct Channels {
    double r, g, b;
};

Channels channelsOf(ColorValue value) {
    const QColor c = realColor(value);
    return {double(c.red()), double(c.green()), double(c.blue())};
}

// The row colour c - i x d, each channel rounded and kept within 0..255.
QColor rowColor(const Channels& c, const Channels& d, double i) {
    const auto ch = [](double v) { return std::clamp(int(std::lround(v)), 0, 255); };
    return QColor(ch(c.r - i * d.r), ch(c.g - i * d.g), ch(c.b - i * d.b));
}

// A horizontal line from x1 up to (not including) x2, as the system draws a line.
void hline(QPainter& p, int x1, int x2, int y, const QColor& color) {
    if (x2 <= x1)
        return;
    p.fillRect(QRect(x1, y, x2 - x1, 1), color);
}

QPixmap drawButton(int set, int kind, int state) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Set 0: light square with a dark glyph; 1: blue square with a white glyph; 2: glyph only.
    const QColor faces[3][3] = {
        {QColor(255, 255, 255), QColor(236, 236, 240), QColor(236, 236, 236)},
        {QColor(70, 120, 200), QColor(40, 80, 160), QColor(150, 160, 180)},
        {Qt::transparent, Qt::transparent, Qt::transparent}};
    const QColor glyphs[3][3] = {{QColor(200, 30, 30), QColor(40, 40, 60), QColor(170, 170, 170)},
                                 {Qt::white, Qt::white, QColor(220, 220, 220)},
                                 {QColor(220, 40, 40), QColor(40, 40, 60), QColor(160, 160, 160)}};
    const QColor face = faces[set][state - 1];
    const QColor glyph = glyphs[set][state - 1];
    if (face.alpha() > 0) {
        p.fillRect(1, 1, 14, 14, face);
        p.setPen(set == 1 ? QColor(20, 40, 90) : QColor(128, 128, 140));
        p.drawRect(0, 0, 15, 15);
    }
    p.setPen(QPen(glyph, 2));
    switch (kind) {
    case 0: // close: a cross
        p.drawLine(4, 4, 11, 11);
        p.drawLine(11, 4, 4, 11);
        break;
    case 1: // maximise: a window
        p.setPen(QPen(glyph, 1));
        p.drawRect(4, 4, 7, 7);
        p.drawLine(4, 5, 11, 5);
        break;
    default: // minimise: a bar at the bottom
        p.fillRect(4, 10, 8, 2, glyph);
        break;
    }
    return pm;
}

} // namespace

const QPixmap& TitelBar::buttonPicture(int set, int kind, int state) {
    static QPixmap pictures[3][3][3];
    QPixmap& pm =
        pictures[std::clamp(set, 0, 2)][std::clamp(kind, 0, 2)][std::clamp(state, 1, 3) - 1];
    if (pm.isNull())
        pm = drawButton(std::clamp(set, 0, 2), std::clamp(kind, 0, 2), std::clamp(state, 1, 3));
    return pm;
}

void TitelBar::setButtonPicture(QLabel* button, const QPixmap& picture) {
    // Assigned only when it differs, as the picture handles are compared.
    if (button->pixmap().cacheKey() != picture.cacheKey())
        button->setPixmap(picture);
}

void TitelBar::SetTBX_() {
    m_close->hide();
    m_max->hide();
    m_min->hide();
    const int s = m_iconStyle;
    int m = m_style == 14 ? 6 : 3;
    setButtonPicture(m_close, buttonPicture(s, 0, m_closeEnabled ? 2 : 3));
    setButtonPicture(m_max, buttonPicture(s, 1, m_maxEnabled ? 2 : 3));
    setButtonPicture(m_min, buttonPicture(s, 2, m_minEnabled ? 2 : 3));
    int x = width();
    const auto place = [&](QLabel* b, int left) {
        b->move(left, (height() - b->height()) / 2);
        b->show();
    };
    if (m_showClose) {
        place(m_close, x - m_close->width() - 3 - m);
        x = m_close->x();
        m = 3;
    }
    if (m_showMax) {
        place(m_max, x - m_max->width() - 3 - m);
        x = m_max->x();
    }
    if (m_showMin)
        place(m_min, x - m_min->width() - 6);
}

void TitelBar::SetVerlauf(ColorValue c1, ColorValue c2, ColorValue c3, ColorValue c4) {
    const int W = m_image.width();
    const int H = m_image.height();
    const int B = m_border;
    int n = m_style == 14 ? H / 2 : H;
    if (n < 1)
        n = 25;
    switch (m_style) {
    case 3:
    case 4:
    case 7:
    case 8:
        n -= B + 1;
        break;
    case 10:
        n -= B + 2;
        break;
    case 11:
        n -= B + 5;
        break;
    case 12:
        n -= B + 7;
        break;
    default:
        break;
    }
    n = std::max(n, 1);
    const Channels a = channelsOf(c1), b = channelsOf(c2), c = channelsOf(c3), d = channelsOf(c4);
    const Channels d1{(a.r - b.r) / n, (a.g - b.g) / n, (a.b - b.b) / n};
    const Channels d2{(c.r - d.r) / n, (c.g - d.g) / n, (c.b - d.b) / n};
    const auto A = [&](double i) { return rowColor(a, d1, i); };
    const auto C = [&](double i) { return rowColor(c, d2, i); };
    const int F = int(W * (m_cover / 10.0));
    QPainter p(&m_image);
    if (m_style == 0 || m_style == 13) {
        for (int i = 0; i <= n; ++i)
            hline(p, 0, W, i, A(i));
    } else if (m_style >= 1 && m_style <= 8) {
        const int sign = m_style <= 4 ? -1 : 1;
        const bool stripes = m_style == 2 || m_style == 4 || m_style == 6 || m_style == 8;
        for (int i = 0; i <= n; ++i) {
            const int edge = F + sign * i;
            hline(p, 0, edge, i, A(i));
            hline(p, edge, W, i, C(i));
            if (stripes) {
                for (int dx : {2, 6, 11})
                    p.fillRect(QRect(edge + dx, i, 1, 1), A(i));
            }
        }
    } else if (m_style == 14) {
        for (int i = 0; i < n; ++i)
            hline(p, 0, W, i, A(i));
        for (int i = 0; i < n; ++i)
            hline(p, 0, W, n + i, C(i));
    } else if (m_style >= 9 && m_style <= 12) {
        const int y0 = (H - n) / 2;
        if (m_style == 9)
            hline(p, 0, W, 0, C(0));
        double t = -1;
        for (int y = y0; y <= y0 + n; ++y, t += 2.0 / n) {
            const int x = F + int((n / 1.3) * std::tan(std::min(t, 1.0)));
            hline(p, 0, x, y, A(y));
            hline(p, x, W, y, C(y));
        }
        if (m_style == 9) { // the closing pass over the rows left below
            for (int y = y0 + n + 1; y < H; ++y)
                hline(p, 0, W, y, C(n));
        }
    }
    if (m_style == 13) {
        // A diagonal band in a third gradient, from the light border colour to the dark one.
        const Channels h = channelsOf(m_highLight), k = channelsOf(m_darkLight);
        const Channels d3{(h.r - k.r) / (2.0 * n), (h.g - k.g) / (2.0 * n),
                          (h.b - k.b) / (2.0 * n)};
        const int start = int(m_pictureX - 2.2 * n);
        for (int i = 0; i < 2 * n && i < H; ++i)
            hline(p, std::max(0, start + i), W, i, rowColor(h, d3, i));
    }
    if (m_dashBack) {
        const QFontMetrics fm(m_font);
        const int w = int(1.2 * fm.horizontalAdvance(m_caption));
        const int top = B + 2;
        const int hh = H - 2 * (B + 2);
        const QImage column = m_image.copy(3, 0, 1, H).mirrored(false, true);
        p.drawImage(QRect(6, top, w, hh), column);
        p.drawImage(QRect(5, top + 1, 1, hh - 2), column);
        p.drawImage(QRect(4, top + 2, 1, hh - 4), column);
        p.drawImage(QRect(w + 6, top + 1, 1, hh - 2), column);
        p.drawImage(QRect(w + 7, top + 2, 1, hh - 4), column);
    }
}

void TitelBar::SetImageI() {
    if (m_icon.isNull())
        return;
    if (m_picturePosMode == 1 || m_picturePosMode == 3)
        m_pictureX = (width() - m_icon.width()) / 2;
    if (m_picturePosMode == 2 || m_picturePosMode == 3)
        m_pictureY = (height() - m_icon.height()) / 2;
    QPainter p(&m_image);
    p.drawPixmap(m_pictureX, m_pictureY, m_icon);
}

void TitelBar::Shadow() {
    int d = m_3dWidth;
    const bool outline = m_captionBorder;
    const QColor outlineColor = realColor(m_captionBorderColor | 0x010000);
    if (outline)
        d += 1;
    QPainter p(&m_image);
    p.setFont(m_font);
    const QFontMetrics fm(m_font);
    const int tw = fm.horizontalAdvance(m_caption);
    const int th = fm.height();
    m_captionSize = {tw, th};
    const int W = width(), H = height(), B = m_border;
    m_captionX = m_icon.isNull() ? 6 : m_pictureX + 6 + m_icon.width();
    switch (m_captionPosX) {
    case 1:
        m_captionX = 1 + B;
        break;
    case 2:
        m_captionX = (W - tw) / 2;
        break;
    case 3:
        m_captionX = W - tw - B - 1 - d;
        break;
    default:
        break;
    }
    switch (m_captionPosY) {
    case 0:
        m_captionY = (H - th) / 2;
        break;
    case 1:
        m_captionY = 0;
        break;
    case 3:
        m_captionY = H - th - B;
        break;
    default:
        m_captionY = (H - th - B) / 2;
        break;
    }
    const auto text = [&](int x, int y, const QColor& c) {
        p.setPen(c);
        p.drawText(QRect(x, y, tw + 2, th), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   m_caption);
    };
    const Channels back = channelsOf(m_captionBack), near = channelsOf(m_captionShadow);
    const int x = m_captionX, y = m_captionY;
    for (int k = d; k >= 1; --k) {
        const QColor c(int((back.r * k + near.r * (d - k)) / d),
                       int((back.g * k + near.g * (d - k)) / d),
                       int((back.b * k + near.b * (d - k)) / d));
        if (m_3dTop && m_3dLeft && m_3dBottom && m_3dRight) {
            for (int j = -k; j <= k; ++j) {
                text(x + j, y + k, c);
                text(x + j, y - k, c);
                text(x + k, y + j, c);
                text(x - k, y - j, c);
            }
        } else if (m_3dBottom && m_3dRight) {
            text(x + k, y + k, c);
        } else if (m_3dTop && m_3dLeft) {
            text(x - k, y - k, c);
        } else {
            if (m_3dBottom)
                text(x, y + k, c);
            if (m_3dTop)
                text(x, y - k, c);
            if (m_3dRight)
                text(x + k, y, c);
            if (m_3dLeft)
                text(x - k, y, c);
        }
    }
    if (outline) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy)
                    text(x + dx, y + dy, outlineColor);
    }
    text(x, y, realColor(m_captionColor));
}

void TitelBar::BSetBorder(int size) {
    if (size == 0)
        return;
    const int W = m_image.width(), H = m_image.height();
    QPainter p(&m_image);
    p.fillRect(QRect(0, H - 1, W, 1), realColor(m_darkLight));
    p.fillRect(QRect(W - 1, 0, 1, H), realColor(m_darkLight));
    p.fillRect(QRect(0, 0, W, 1), realColor(m_highLight));
    p.fillRect(QRect(0, 0, 1, H), realColor(m_highLight));
}

void TitelBar::Refresh() {
    if (width() < 1 || height() < 1)
        return;
    m_image = QImage(size(), QImage::Format_RGB32);
    m_image.fill(realColor(m_backColor));
    if (!m_picture.isNull())
        QPainter(&m_image).drawPixmap(0, 0, m_picture);
    m_foreColor = m_captionColor; // the surface's text colour is the caption's
    SetTBX_();
    SetVerlauf(m_v1Begin, m_v1End, m_v2Begin, m_v2End);
    SetImageI();
    Shadow();
    BSetBorder(m_border);
    update();
}

} // namespace controls
