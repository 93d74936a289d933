#pragma once
// A soft drop shadow along a window's right and bottom edges: two frameless, translucent tool
// windows owned by the window, painted once per length with a colour fading to transparent and
// moved as the window moves. The window is watched through the window hook.

#include "ui/controls/ColorValue.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

namespace controls {

// One strip of the shadow: a window that shows a premultiplied image as it is.
class ShadowStrip : public QWidget {
public:
    explicit ShadowStrip(QWidget* owner);
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

class clsShadow : public QObject {
    Q_OBJECT

public:
    clsShadow();
    ~clsShadow() override;

    ColorValue Color() const { return m_color; }
    void setColor(ColorValue color);
    int Depth() const { return m_depth; }
    void setDepth(int depth);
    int Transparency() const { return m_transparency; }
    void setTransparency(int transparency);

    // Attaches the shadow to form; false when one is attached already, when shadows are not
    // possible on this screen, or when the form cannot be hooked (lastError() says why).
    bool Shadow(QWidget* form);
    QString lastError() const { return m_error; }

    ShadowStrip* rightStrip() const { return m_right; }
    ShadowStrip* bottomStrip() const { return m_bottom; }
    bool isEnabled() const { return m_enabled; }
    // How many times a strip was painted (a strip is painted only when its length changes).
    int paintCount() const { return m_paints; }

    // The premultiplied images of the strips for a depth and length, with the Luna corner when
    // asked for.
    static QImage rightImage(int width, int height, ColorValue color, bool luna = false);
    static QImage bottomImage(int width, int height, ColorValue color);

    // The screen's colour depth in bits per pixel; replaceable to try other screens.
    static std::function<int()> screenDepth;

private:
    void checkCapability();
    void handle(QWidget* window, QEvent* event);
    void follow();
    void redraw();
    void showStrips(bool show, bool forced);
    void createStrips();
    void destroyStrips();

    ColorValue m_color = 0;
    int m_depth = 7;
    int m_transparency = 140;
    bool m_enabled = false;
    bool m_luna = false;
    bool m_shown = false;
    int m_lastWidth = -1;
    int m_lastHeight = -1;
    QPointer<QWidget> m_form;
    QPointer<ShadowStrip> m_right;
    QPointer<ShadowStrip> m_bottom;
    QString m_error;
    int m_paints = 0;
};

// The program-wide slot: attaching a new shadow releases the one held before.
clsShadow* attachShadow(QWidget* form);
clsShadow* currentShadow();

} // namespace controls
