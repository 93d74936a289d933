#include "ui/controls/TitelBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace controls {

TitelBar::TitelBar(QWidget* parent)
    : QWidget(parent) {
    m_font = font();
    for (QLabel** b : {&m_close, &m_max, &m_min}) {
        *b = new QLabel(this);
        (*b)->resize(16, 16);
        (*b)->setMouseTracking(true);
        (*b)->installEventFilter(this);
        (*b)->hide();
    }
    m_close->setObjectName(QStringLiteral("TBARX"));
    m_max->setObjectName(QStringLiteral("TBARMax"));
    m_min->setObjectName(QStringLiteral("TBAR_"));
    setMouseTracking(true);
    m_timer1.setInterval(25);
    connect(&m_timer1, &QTimer::timeout, this, &TitelBar::timerTick);
    // Docked to the top of the form, 31 pixels high.
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(0, 0, parent->width(), 31);
    } else {
        resize(200, 31);
    }
    m_caption = objectName();
    connect(this, &QObject::objectNameChanged, this, [this](const QString& name) {
        if (!m_captionIsName)
            return;
        m_caption = name;
        Refresh();
    });
    Refresh();
}

void TitelBar::mark(const char* key) {
    m_changes.mark(QString::fromLatin1(key));
}

void TitelBar::setStyle(int style) {
    m_style = style;
    mark("Style");
    Refresh();
}

void TitelBar::setBackColorCover(double cover) {
    m_cover = cover >= 10 ? 10 : (cover <= 0 ? 1 : cover);
    mark("BackColorCover");
    Refresh();
}

void TitelBar::setGradient(ColorValue v1Begin, ColorValue v1End, ColorValue v2Begin,
                           ColorValue v2End) {
    m_v1Begin = v1Begin;
    m_v1End = v1End;
    m_v2Begin = v2Begin;
    m_v2End = v2End;
    for (const char* key :
         {"BackColorV1Begin", "BackColorV1End", "BackColorV2Begin", "BackColorV2End"})
        mark(key);
    Refresh();
}

void TitelBar::setBackColor(ColorValue color) {
    m_backColor = color;
    mark("BackColor");
    Refresh();
}

void TitelBar::setBorderColors(ColorValue highLight, ColorValue darkLight) {
    m_highLight = highLight;
    m_darkLight = darkLight;
    mark("BorderColorHighLight");
    mark("BorderColorDarkLight");
    Refresh();
}

void TitelBar::setCaptionColors(ColorValue color, ColorValue back, ColorValue shadow,
                                ColorValue border) {
    m_captionColor = color;
    m_captionBack = back;
    m_captionShadow = shadow;
    m_captionBorderColor = border;
    for (const char* key :
         {"CaptionColor", "CaptionColorBack", "CaptionShadowColor", "CaptionBorderColor"})
        mark(key);
    Refresh();
}

void TitelBar::setCaptionBorder(bool on) {
    m_captionBorder = on;
    mark("CaptionBorder");
    Refresh();
}

void TitelBar::setCaption3D(int width, bool top, bool left, bool bottom, bool right) {
    m_3dWidth = std::clamp(width, 0, 255);
    m_3dTop = top;
    m_3dLeft = left;
    m_3dBottom = bottom;
    m_3dRight = right;
    for (const char* key :
         {"Caption3DWidth", "Caption3DTop", "Caption3DLeft", "Caption3DBottom", "Caption3DRight"})
        mark(key);
    Refresh();
}

void TitelBar::setShowButtons(bool close, bool maximized, bool minimized) {
    m_showClose = close;
    m_showMax = maximized;
    m_showMin = minimized;
    mark("ShowClose");
    mark("ShowMaximized");
    mark("ShowMinimized");
    SetTBX_();
}

void TitelBar::setButtonsEnabled(bool close, bool maximized, bool minimized) {
    m_closeEnabled = close;
    m_maxEnabled = maximized;
    m_minEnabled = minimized;
    mark("ShowCloseEnabled");
    mark("ShowMaximizedEnabled");
    mark("ShowMinimizedEnabled");
    SetTBX_();
}

void TitelBar::setFontProperty(const QFont& font) {
    m_font = font;
    mark("Font");
    Refresh();
}
void TitelBar::setCaption(const QString& caption) {
    m_caption = caption;
    m_captionIsName = false;
    mark("Caption");
    Refresh();
}

void TitelBar::setCaptionPos(int x, int y) {
    m_captionPosX = x;
    m_captionPosY = y;
    mark("CaptionPosX");
    mark("CaptionPosY");
    Refresh();
}

void TitelBar::setBorderNormal(int size) {
    m_border = std::clamp(size, 0, 255);
    mark("BorderNormal");
    Refresh();
}

void TitelBar::setIconStyle(int style) {
    m_iconStyle = std::clamp(style, 0, 2);
    mark("IconStyle");
    Refresh();
}

void TitelBar::setDashBack(bool on) {
    m_dashBack = on;
    mark("DashBack");
    Refresh();
}
void TitelBar::setPictureButton(const QPixmap& icon) {
    m_icon = icon;
    mark("PictureButton");
    Refresh();
}

void TitelBar::setPicturePos(int mode, int x, int y) {
    m_picturePosMode = mode;
    m_pictureX = x;
    m_pictureY = y;
    mark("PicturePosMode");
    mark("PicturePosX");
    mark("PicturePosY");
    Refresh();
}

void TitelBar::setAutoRedraw(bool on) {
    m_autoRedraw = on;
    mark("AutoRedraw");
    Refresh();
}

void TitelBar::setForeColor(ColorValue color) {
    m_foreColor = color;
    mark("ForeColor");
    Refresh();
}

void TitelBar::setPicture(const QPixmap& picture) {
    m_picture = picture;
    mark("Picture");
    Refresh(); // the icon is drawn again over it
}

void TitelBar::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), int(event->modifiers() >> 25));
    if (!event->text().isEmpty())
        emit KeyPress(event->text().at(0).unicode());
    QWidget::keyPressEvent(event);
}

void TitelBar::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        emit KeyUp(event->key(), int(event->modifiers() >> 25));
    QWidget::keyReleaseEvent(event);
}

void TitelBar::setToolTipText(const QString& text) {
    setToolTip(text);
    mark("ToolTipText");
}

void TitelBar::readProperties(const PropertyBag& bag) {
    const auto colour = [&](const char* key, ColorValue byDefault) {
        return ColorValue(bag.read(QString::fromLatin1(key), byDefault).toUInt());
    };
    const auto flag = [&](const char* key, bool byDefault) {
        return bag.readBool(QString::fromLatin1(key), byDefault);
    };
    m_style = qint16(bag.read(QStringLiteral("Style"), 8).toInt());
    m_backColor = colour("BackColor", rgbValue(230, 230, 230));
    m_cover = bag.read(QStringLiteral("BackColorCover"), 0.0).toDouble();
    m_v1Begin = colour("BackColorV1Begin", rgbValue(230, 230, 230));
    m_v1End = colour("BackColorV1End", rgbValue(90, 110, 140));
    m_v2Begin = colour("BackColorV2Begin", rgbValue(90, 110, 140));
    m_v2End = colour("BackColorV2End", rgbValue(38, 48, 79));
    m_highLight = colour("BorderColorHighLight", rgbValue(255, 255, 255));
    m_darkLight = colour("BorderColorDarkLight", 0);
    m_captionBack = colour("CaptionColorBack", rgbValue(60, 60, 60));
    m_captionColor = colour("CaptionColor", rgbValue(255, 255, 255));
    m_captionBorderColor = colour("CaptionBorderColor", 0);
    m_captionShadow = colour("CaptionShadowColor", rgbValue(60, 60, 60));
    m_captionBorder = flag("CaptionBorder", false);
    m_3dWidth = quint8(bag.read(QStringLiteral("Caption3DWidth"), 2).toInt());
    m_3dTop = flag("Caption3DTop", false);
    m_3dLeft = flag("Caption3DLeft", false);
    m_3dBottom = flag("Caption3DBottom", true);
    m_3dRight = flag("Caption3DRight", true);
    m_showClose = flag("ShowClose", true);
    m_showMin = flag("ShowMinimized", true);
    m_showMax = flag("ShowMaximized", false);
    m_closeEnabled = flag("ShowCloseEnabled", true);
    m_minEnabled = flag("ShowMinimizedEnabled", true);
    m_maxEnabled = flag("ShowMaximizedEnabled", false);
    m_font = bag.read(QStringLiteral("Font"), font()).value<QFont>();
    setToolTip(bag.read(QStringLiteral("ToolTipText"), QString()).toString());
    m_caption = bag.read(QStringLiteral("Caption"), objectName()).toString();
    m_captionIsName = false;
    m_autoRedraw = flag("AutoRedraw", false);
    m_foreColor = colour("ForeColor", 0x80000012);
    m_picture = bag.read(QStringLiteral("Picture"), QPixmap()).value<QPixmap>();
    m_captionPosX = bag.read(QStringLiteral("CaptionPosX"), 0).toInt();
    m_captionPosY = bag.read(QStringLiteral("CaptionPosY"), 2).toInt();
    m_border = quint8(bag.read(QStringLiteral("BorderNormal"), 0).toInt());
    m_iconStyle = std::min(2, int(quint8(bag.read(QStringLiteral("IconStyle"), 0).toInt())));
    m_dashBack = flag("DashBack", false);
    m_icon = bag.read(QStringLiteral("PictureButton"), QPixmap()).value<QPixmap>();
    m_picturePosMode = bag.read(QStringLiteral("PicturePosMode"), 0).toInt();
    m_pictureX = qint16(bag.read(QStringLiteral("PicturePosX"), 6).toInt());
    m_pictureY = qint16(bag.read(QStringLiteral("PicturePosY"), 4).toInt());
    Refresh();
}

void TitelBar::writeProperties(PropertyBag& bag) const {
    const auto colour = [&](const char* key, ColorValue value, ColorValue byDefault) {
        bag.write(QString::fromLatin1(key), value, byDefault);
    };
    const auto flag = [&](const char* key, bool value, bool byDefault) {
        bag.writeBool(QString::fromLatin1(key), value, byDefault);
    };
    bag.write(QStringLiteral("Style"), m_style, 8);
    colour("BackColor", m_backColor, systemColor(kColorButtonFace));
    bag.write(QStringLiteral("BackColorCover"), m_cover, 0.0);
    colour("BackColorV1Begin", m_v1Begin, rgbValue(230, 230, 230));
    colour("BackColorV1End", m_v1End, rgbValue(90, 110, 140));
    colour("BackColorV2Begin", m_v2Begin, rgbValue(90, 110, 140));
    colour("BackColorV2End", m_v2End, rgbValue(38, 48, 79));
    colour("BorderColorHighLight", m_highLight, rgbValue(255, 255, 255));
    colour("BorderColorDarkLight", m_darkLight, 0);
    colour("CaptionColorBack", m_captionBack, rgbValue(60, 60, 60));
    colour("CaptionColor", m_captionColor, rgbValue(255, 255, 255));
    colour("CaptionBorderColor", m_captionBorderColor, 0);
    colour("CaptionShadowColor", m_captionShadow, rgbValue(60, 60, 60));
    flag("CaptionBorder", m_captionBorder, false);
    bag.write(QStringLiteral("Caption3DWidth"), m_3dWidth, 2);
    flag("Caption3DTop", m_3dTop, false);
    flag("Caption3DLeft", m_3dLeft, false);
    flag("Caption3DBottom", m_3dBottom, true);
    flag("Caption3DRight", m_3dRight, true);
    flag("ShowClose", m_showClose, true);
    flag("ShowMinimized", m_showMin, true);
    flag("ShowMaximized", m_showMax, false);
    flag("ShowCloseEnabled", m_closeEnabled, true);
    flag("ShowMinimizedEnabled", m_minEnabled, true);
    flag("ShowMaximizedEnabled", m_maxEnabled, false);
    bag.write(QStringLiteral("ToolTipText"), toolTip(), QString());
    bag.write(QStringLiteral("Caption"), m_caption, objectName());
    bag.write(QStringLiteral("CaptionPosX"), m_captionPosX, 0);
    bag.write(QStringLiteral("CaptionPosY"), m_captionPosY, 2);
    bag.write(QStringLiteral("BorderNormal"), m_border, 0);
    bag.write(QStringLiteral("IconStyle"), m_iconStyle, 0);
    flag("DashBack", m_dashBack, false);
    bag.write(QStringLiteral("PicturePosMode"), m_picturePosMode, 0);
    bag.write(QStringLiteral("PicturePosX"), m_pictureX, 6);
    bag.write(QStringLiteral("PicturePosY"), m_pictureY, 4);
    flag("AutoRedraw", m_autoRedraw, false);
    colour("ForeColor", m_foreColor, 0x80000012);
    bag.write(QStringLiteral("Font"), m_font, font());
    // Pictures compare by nothing but their presence.
    const auto picture = [](const QPixmap& p) { return p.isNull() ? QVariant() : QVariant(p); };
    bag.write(QStringLiteral("Picture"), picture(m_picture), QVariant());
    bag.write(QStringLiteral("PictureButton"), picture(m_icon), QVariant());
}

void TitelBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void TitelBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit Resize();
    Refresh();
}

bool TitelBar::pointerInside() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void TitelBar::mousePressEvent(QMouseEvent* event) {
    // The press grabs the mouse for the bar (Qt's implicit grab).
    m_hoverState = 255;
    m_dragOffset = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    m_dragging = false;
    emit MouseDown(int(event->button()), int(event->modifiers()), event->position().toPoint().x(),
                   event->position().toPoint().y());
}

void TitelBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool overButton = (m_close->isVisible() && m_close->geometry().contains(at)) ||
                            (m_max->isVisible() && m_max->geometry().contains(at)) ||
                            (m_min->isVisible() && m_min->geometry().contains(at));
    if (!overButton) {
        if (m_closeEnabled)
            setButtonPicture(m_close, buttonPicture(m_iconStyle, 0, 2));
        if (m_maxEnabled)
            setButtonPicture(m_max, buttonPicture(m_iconStyle, 1, 2));
        if (m_minEnabled)
            setButtonPicture(m_min, buttonPicture(m_iconStyle, 2, 2));
    }
    if (m_hoverState == 255 && rect().contains(at)) {
        m_hoverState = 1;
        m_timer1.start();
    }
    if (event->buttons() & Qt::LeftButton) {
        m_timer1.stop();
        if (!m_dragging) {
            // The window system moves the window with the pointer; where it will not, we do.
            m_dragging = true;
            QWindow* handle = window()->windowHandle();
            m_dragBySystem = handle && handle->startSystemMove();
        }
        if (!m_dragBySystem)
            window()->move(event->globalPosition().toPoint() - m_dragOffset);
    }
    emit MouseMove(int(event->buttons()), int(event->modifiers()), at.x(), at.y());
}

void TitelBar::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    const QPoint at = event->position().toPoint();
    emit MouseUp(int(event->button()), int(event->modifiers()), at.x(), at.y());
    if (rect().contains(at))
        emit Click();
}

void TitelBar::mouseDoubleClickEvent(QMouseEvent*) {
    emit DblClick(); // and nothing else: the bar does not maximise its window
}

void TitelBar::timerTick() {
    if (!pointerInside()) {
        m_timer1.stop();
        m_hoverState = 255;
    }
}

void TitelBar::buttonHovered(QLabel* button) {
    m_timer1.stop();
    m_hoverState = 255;
    const int kind = button == m_close ? 0 : (button == m_max ? 1 : 2);
    const bool enabled = kind == 0 ? m_closeEnabled : (kind == 1 ? m_maxEnabled : m_minEnabled);
    if (enabled)
        setButtonPicture(button, buttonPicture(m_iconStyle, kind, 1));
}

void TitelBar::buttonLeft(QLabel* button) {
    // The pointer may leave a button straight out of the window, where the bar hears no move:
    // the button takes back its normal picture itself.
    const int kind = button == m_close ? 0 : (button == m_max ? 1 : 2);
    const bool enabled = kind == 0 ? m_closeEnabled : (kind == 1 ? m_maxEnabled : m_minEnabled);
    if (enabled)
        setButtonPicture(button, buttonPicture(m_iconStyle, kind, 2));
}

void TitelBar::buttonPressed(QLabel* button) {
    m_timer1.stop();
    m_hoverState = 255;
    // The Enabled flags change only the pictures; the actions always work.
    QWidget* form = window();
    if (button == m_close) {
        // Pending events are not let run here: a window that goes when closed would be deleted
        // while this button's press is still being delivered.
        form->close();
        return;
    }
    if (button == m_max)
        form->isMaximized() ? form->showNormal() : form->showMaximized();
    else
        form->showMinimized();
    QApplication::processEvents();
}

bool TitelBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) {
        resize(parentWidget()->width(), height()); // docked to the top edge
        return false;
    }
    auto* button = qobject_cast<QLabel*>(watched);
    if (button && (button == m_close || button == m_max || button == m_min)) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            buttonHovered(button);
        else if (event->type() == QEvent::Leave)
            buttonLeft(button);
        else if (event->type() == QEvent::MouseButtonPress)
            buttonPressed(button);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace controls
