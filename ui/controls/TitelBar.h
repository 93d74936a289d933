#pragma once
// A caption bar in place of a window's title bar: a two-colour gradient in one of fifteen styles,
// an optional icon, the caption as 3-D text with an optional outline, a one-pixel 3-D border and up
// to three caption buttons. Dragging the bar moves its window; the buttons close, maximise or
// restore, and minimise it. Everything is painted into a backing image on every Refresh.

#include "ui/controls/ColorValue.h"
#include "ui/controls/PropertyBag.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace controls {

class TitelBar : public QWidget {
    Q_OBJECT

public:
    // A new instance: docked to the top of its parent, 31 pixels high, the defaults of a newly
    // placed bar (BackColor RGB(38, 48, 79), BackColorCover 3, BorderNormal 2).
    explicit TitelBar(QWidget* parent = nullptr);

    // Properties; every setter stores, marks the key changed and repaints (see the .cpp).
    int Style() const { return m_style; }
    void setStyle(int style);
    double BackColorCover() const { return m_cover; }
    void setBackColorCover(double cover);
    void setGradient(ColorValue v1Begin, ColorValue v1End, ColorValue v2Begin, ColorValue v2End);
    ColorValue BackColorV1Begin() const { return m_v1Begin; }
    ColorValue BackColorV1End() const { return m_v1End; }
    ColorValue BackColorV2Begin() const { return m_v2Begin; }
    ColorValue BackColorV2End() const { return m_v2End; }
    void setBackColor(ColorValue color);
    void setBorderColors(ColorValue highLight, ColorValue darkLight);
    void setCaptionColors(ColorValue color, ColorValue back, ColorValue shadow, ColorValue border);
    void setCaptionBorder(bool on);
    void setCaption3D(int width, bool top, bool left, bool bottom, bool right);
    void setShowButtons(bool close, bool maximized, bool minimized);
    void setButtonsEnabled(bool close, bool maximized, bool minimized);
    bool ShowCloseEnabled() const { return m_closeEnabled; }
    void setFontProperty(const QFont& font);
    const QFont& FontProperty() const { return m_font; }
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    void setCaptionPos(int x, int y);
    int BorderNormal() const { return m_border; }
    void setBorderNormal(int size);
    int IconStyle() const { return m_iconStyle; }
    void setIconStyle(int style);
    void setDashBack(bool on);
    void setPictureButton(const QPixmap& icon);
    const QPixmap& PictureButton() const { return m_icon; }
    void setPicturePos(int mode, int x, int y);
    int PicturePosX() const { return m_pictureX; }
    int PicturePosY() const { return m_pictureY; }
    void setToolTipText(const QString& text);
    // A stored flag: painting keeps its own backing image whatever it says.
    bool AutoRedraw() const { return m_autoRedraw; }
    void setAutoRedraw(bool on);
    // The surface's text colour; every paint sets it to the caption's colour.
    ColorValue ForeColor() const { return m_foreColor; }
    void setForeColor(ColorValue color);
    // The picture of the surface, under the gradient; setting it draws the icon again.
    const QPixmap& Picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);

    void readProperties(const PropertyBag& bag);
    void writeProperties(PropertyBag& bag) const;
    const PropertyChanges& changes() const { return m_changes; }

    // The complete repaint.
    void Refresh();
    const QImage& image() const { return m_image; }
    // Where the caption was drawn at the last paint, and its size.
    QPoint captionPos() const { return {m_captionX, m_captionY}; }
    QSize captionSize() const { return m_captionSize; }
    // The caption buttons (TBARX close, TBARMax maximise, TBAR_ minimise).
    QLabel* closeButton() const { return m_close; }
    QLabel* maxButton() const { return m_max; }
    QLabel* minButton() const { return m_min; }
    // The pictures of a set (0-2): kind 0 close, 1 maximise, 2 minimise; state 1 hover,
    // 2 normal, 3 disabled.
    static const QPixmap& buttonPicture(int set, int kind, int state);
    // Whether the last drag used the window system's move (false: moved by hand).
    bool lastDragBySystem() const { return m_dragBySystem; }

    // The hover tracking state: 255 idle, 1 tracking the pointer after it entered the bar.
    int hoverState() const { return m_hoverState; }

signals:
    void Click();
    void DblClick();
    // keyCode is Qt's key; shift 1 Shift, 2 Ctrl, 4 Alt; keyAscii the character typed.
    void KeyDown(int keyCode, int shift);
    void KeyPress(int keyAscii);
    void KeyUp(int keyCode, int shift);
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void Resize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetTBX_();
    void SetVerlauf(ColorValue c1, ColorValue c2, ColorValue c3, ColorValue c4);
    void SetImageI();
    void Shadow();
    void BSetBorder(int size);
    void buttonHovered(QLabel* button);
    void buttonLeft(QLabel* button);
    void buttonPressed(QLabel* button);
    void timerTick();
    bool pointerInside() const;
    void setButtonPicture(QLabel* button, const QPixmap& picture);
    void mark(const char* key);

    int m_style = 8;
    ColorValue m_backColor = rgbValue(38, 48, 79);
    double m_cover = 3;
    ColorValue m_v1Begin = rgbValue(230, 230, 230), m_v1End = rgbValue(90, 110, 140);
    ColorValue m_v2Begin = rgbValue(90, 110, 140), m_v2End = rgbValue(38, 48, 79);
    ColorValue m_highLight = rgbValue(255, 255, 255), m_darkLight = 0;
    ColorValue m_captionColor = rgbValue(255, 255, 255), m_captionBack = rgbValue(60, 60, 60);
    ColorValue m_captionShadow = rgbValue(60, 60, 60), m_captionBorderColor = 0;
    bool m_captionBorder = false;
    int m_3dWidth = 2;
    bool m_3dTop = false, m_3dLeft = false, m_3dBottom = true, m_3dRight = true;
    bool m_showClose = true, m_showMax = false, m_showMin = true;
    bool m_closeEnabled = true, m_maxEnabled = true, m_minEnabled = true;
    QFont m_font;
    QString m_caption;
    int m_captionPosX = 0, m_captionPosY = 2;
    int m_border = 2;
    int m_iconStyle = 0;
    bool m_dashBack = false;
    QPixmap m_icon;
    QPixmap m_picture;
    bool m_autoRedraw = false;
    ColorValue m_foreColor = 0x80000012;
    // A new bar's caption is its name, and follows it until a caption is given or read.
    bool m_captionIsName = true;
    int m_picturePosMode = 0, m_pictureX = 6, m_pictureY = 4;

    int m_captionX = 0, m_captionY = 0;
    QSize m_captionSize;
    int m_hoverState = 255;
    QTimer m_timer1;
    QImage m_image;
    QLabel* m_close = nullptr;
    QLabel* m_max = nullptr;
    QLabel* m_min = nullptr;
    QPoint m_dragOffset;
    bool m_dragging = false;
    bool m_dragBySystem = false;
    PropertyChanges m_changes;
};

} // namespace controls
