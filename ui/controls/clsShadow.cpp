#include "ui/controls/clsShadow.h"

#include "ui/controls/WindowHook.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace controls {

std::function<int()> clsShadow::screenDepth = [] {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
};

ShadowStrip::ShadowStrip(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                         Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    // A shadow of a window that stays on top stays on top with it, or other such windows cover it.
    if (owner && (owner->windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
}

void ShadowStrip::setImage(const QImage& image) {
    m_image = image;
    update();
}

void ShadowStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, m_image);
}

namespace {

QRgb premultiplied(const QColor& c, int alpha) {
    const double f = alpha / 255.0;
    return qRgba(int(std::lround(c.red() * f)), int(std::lround(c.green() * f)),
                 int(std::lround(c.blue() * f)), alpha);
}

} // namespace

QImage clsShadow::rightImage(int W, int H, ColorValue color, bool luna) {
    QImage img(std::max(W, 1), std::max(H, 1), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const QColor c = realColor(color);
    for (int y = 0; y < H; ++y) { // y counts from the bottom row
        const int a = y < W ? y * 255 / W : (y < H - W ? 255 : (H - y) * 255 / W);
        for (int x = 0; x < W; ++x)
            img.setPixel(x, H - 1 - y, premultiplied(c, a * (W - x) / W));
    }
    if (luna) {
        // The rounded top-right corner of that style: 5, 3, 2, 1 and 1 pixels cleared.
        const int cleared[] = {5, 3, 2, 1, 1};
        for (int row = 0; row < 5 && row < H; ++row)
            for (int k = 0; k < cleared[row] && k < W; ++k)
                img.setPixel(W - 1 - k, row, qRgba(0, 0, 0, 0));
    }
    return img;
}

QImage clsShadow::bottomImage(int W, int H, ColorValue color) {
    QImage img(std::max(W, 1), std::max(H, 1), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const QColor c = realColor(color);
    for (int x = 0; x < W; ++x) {
        const int a = x < H ? x * 255 / H : 255;
        for (int y = 0; y < H; ++y) // y counts from the bottom row
            img.setPixel(x, H - 1 - y, premultiplied(c, a * y / H));
    }
    return img;
}

clsShadow::clsShadow() {
    checkCapability();
}

clsShadow::~clsShadow() {
    if (m_form)
        WindowHook::unsubclass(m_form);
    destroyStrips();
}

void clsShadow::checkCapability() {
    // Layered windows with per-pixel alpha need at least 16 bits per pixel.
    m_enabled = screenDepth() >= 16;
    m_luna = false; // no style of this platform is that one
}

void clsShadow::setColor(ColorValue color) {
    const ColorValue real = (color & 0x80000000u) ? toColorValue(realColor(color)) : color;
    if (real == m_color)
        return;
    m_color = real;
    redraw();
}

void clsShadow::setDepth(int depth) {
    if (depth == m_depth)
        return;
    m_depth = depth;
    redraw();
}

void clsShadow::setTransparency(int transparency) {
    transparency = std::clamp(transparency, 0, 255);
    if (transparency == m_transparency)
        return;
    m_transparency = transparency;
    redraw();
}

bool clsShadow::Shadow(QWidget* form) {
    if (m_form) {
        m_error = QStringLiteral("Only a single form per cShadow instance is allowed");
        return false;
    }
    if (!m_enabled || !form)
        return false;
    if (!WindowHook::subclass(
            form, [this](QWidget* w, QEvent* e) { handle(w, e); }, &m_error))
        return false;
    m_form = form;
    for (QEvent::Type type :
         {QEvent::Move, QEvent::Resize, QEvent::Show, QEvent::Hide, QEvent::WindowStateChange,
          QEvent::ScreenChangeInternal, QEvent::StyleChange})
        WindowHook::addMessage(form, type, &m_error);
    createStrips();
    // A window already on screen gets its shadow at once; otherwise its showing brings it.
    if (form->isVisible()) {
        follow();
        showStrips(true, false);
    }
    return true;
}

void clsShadow::createStrips() {
    m_right = new ShadowStrip(m_form);
    m_right->setObjectName(QStringLiteral("ShadowRight"));
    m_bottom = new ShadowStrip(m_form);
    m_bottom->setObjectName(QStringLiteral("ShadowBottom"));
    m_lastWidth = m_lastHeight = -1;
    m_shown = false;
}

void clsShadow::destroyStrips() {
    delete m_right.data();
    delete m_bottom.data();
}

void clsShadow::handle(QWidget* window, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        if (window->isVisible() && !window->isMinimized())
            follow();
        break;
    case QEvent::Show:
        follow();
        showStrips(true, false);
        break;
    case QEvent::Hide:
        showStrips(false, false);
        break;
    case QEvent::WindowStateChange:
        if (window->isMinimized())
            showStrips(false, false);
        else if (window->isVisible())
            showStrips(true, false);
        break;
    case QEvent::ScreenChangeInternal: { // the display changed
        const bool was = m_enabled;
        checkCapability();
        if (was && !m_enabled)
            destroyStrips();
        if (!was && m_enabled) {
            createStrips();
            redraw();
            if (window->isVisible())
                showStrips(true, true);
        }
        break;
    }
    case QEvent::StyleChange:
        checkCapability();
        redraw();
        break;
    default:
        break;
    }
}

void clsShadow::follow() {
    if (!m_form || !m_right || !m_bottom)
        return;
    const QRect r = m_form->frameGeometry();
    const int d = m_depth;
    if (r.width() != m_lastWidth) {
        m_lastWidth = r.width();
        m_bottom->setImage(bottomImage(r.width() - d, d, m_color));
        ++m_paints;
    }
    if (r.height() != m_lastHeight) {
        m_lastHeight = r.height();
        m_right->setImage(rightImage(d, r.height(), m_color, m_luna));
        ++m_paints;
    }
    m_right->setGeometry(r.x() + r.width(), r.y() + d, d, r.height());
    m_bottom->setGeometry(r.x() + d, r.y() + r.height(), r.width() - d, d);
    m_right->setWindowOpacity(m_transparency / 255.0);
    m_bottom->setWindowOpacity(m_transparency / 255.0);
}

void clsShadow::redraw() {
    if (!m_enabled || !m_form || !m_form->isVisible())
        return;
    m_lastWidth = m_lastHeight = -1;
    follow();
}

void clsShadow::showStrips(bool show, bool forced) {
    if (!m_right || !m_bottom || (!forced && show == m_shown))
        return;
    m_shown = show;
    m_right->setVisible(show);
    m_bottom->setVisible(show);
}

namespace {
std::unique_ptr<clsShadow>& slot() {
    static std::unique_ptr<clsShadow> current;
    return current;
}
} // namespace

clsShadow* attachShadow(QWidget* form) {
    static const bool cleanup = [] {
        // Released before the application object goes, with the windows it watches.
        qAddPostRoutine([] { slot().reset(); });
        return true;
    }();
    Q_UNUSED(cleanup);
    slot() = std::make_unique<clsShadow>();
    slot()->Shadow(form);
    return slot().get();
}

clsShadow* currentShadow() {
    return slot().get();
}

} // namespace controls
