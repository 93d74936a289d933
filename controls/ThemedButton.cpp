#include "ThemedButton.h"

#include "VisualStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpression>

namespace controls {

std::function<void(const QString&, const QString&)> ThemedButton::reportFailure =
    [](const QString& title, const QString& text) { QMessageBox::critical(nullptr, title, text); };

ThemedButton::ThemedButton(QWidget* parent, const QString& name)
    : QWidget(parent) {
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    m_caption = name;
    m_optionPoll.setInterval(50);
    connect(&m_optionPoll, &QTimer::timeout, this, &ThemedButton::pollOptions);
    load();
}

void ThemedButton::mark(const char* key) {
    m_changes.mark(QString::fromLatin1(key));
}

void ThemedButton::load() {
    m_state = Normal;
    setCaption(m_caption);
    FitToSkin();
    if (!isPush())
        m_overColor = m_backColor;
    ApplyHoverBackground(m_backColor);
    recomputePictureExtent();
    m_themeActive = visualStyleInForce();
    ApplyShape();
    Refresh();
}

void ThemedButton::setState(VisualState state) {
    m_state = state;
}

void ThemedButton::recomputePictureExtent() {
    const int v = std::clamp(m_pictureSize, 0, 4);
    m_pictureExtent = isPush() ? 16 + 8 * (v + std::max(v - 2, 0)) : 16;
}

void ThemedButton::setBackColor(ColorValue color) {
    if (color != m_backColor) {
        m_useParentBackColor = false;
        mark("UseParentBackColor");
    }
    m_backColor = color;
    mark("BackColor");
    ApplyHoverBackground(color);
    Refresh();
}

void ThemedButton::setButtonCorner(int corner) {
    m_corner = corner;
    mark("ButtonCorner");
    ApplyShape();
    Refresh();
}

void ThemedButton::setButtonRounding(int pixels) {
    m_rounding = std::max(0, int(qint16(pixels)));
    mark("ButtonRounding");
    ApplyShape();
    Refresh();
}

void ThemedButton::setButtonThemeType(int type) {
    m_themeType = type;
    mark("ButtonThemeType");
    FitToSkin();
    Refresh();
}

void ThemedButton::setButtonType(int type) {
    m_type = type;
    mark("ButtonType");
    if (!isPush()) {
        if (m_glyphs[SlotNormal].isNull())
            m_pictureSize = 0;
        if (m_captionAlign == 2)
            m_captionAlign = 0;
        if (m_type == OptionButton && m_value == 2)
            m_value = 0;
        m_overColor = m_backColor;
        m_focusStyle = 1;
    }
    recomputePictureExtent();
    layout();
}

void ThemedButton::setCaption(const QString& caption) {
    // The access key: after the last "&" that is not part of "&&", scanning from the end.
    m_accessKey = QChar();
    m_accessKeyPos = 0;
    for (qsizetype i = caption.size() - 2; i >= 0; --i) {
        if (caption[i] != u'&')
            continue;
        if (i > 0 && caption[i - 1] == u'&') {
            --i; // a literal "&&"
            continue;
        }
        if (caption[i + 1] == u'&')
            continue;
        m_accessKey = caption[i + 1].toUpper();
        m_accessKeyPos = int(i + 2);
        break;
    }
    m_caption = caption;
    mark("Caption");
    // The access key works with Alt, as the host's access keys do.
    if (m_shortcut)
        releaseShortcut(m_shortcut);
    m_shortcut = m_accessKey.isNull() ? 0
                                      : grabShortcut(QKeySequence(QKeyCombination(
                                            Qt::AltModifier, Qt::Key(m_accessKey.unicode()))));
    if (m_pictureAlign == 2 && !caption.isEmpty()) {
        m_pictureAlign = 0;
        mark("PictureAlign");
    }
    recomputePictureExtent();
    Refresh();
}

void ThemedButton::setCaptionAlign(int align) {
    m_captionAlign = (!isPush() && align == 2) ? 0 : align;
    mark("CaptionAlign");
    Refresh();
}

void ThemedButton::setCaptionShadow(bool on) {
    m_captionShadow = on;
    mark("CaptionShadow");
    Refresh();
}

void ThemedButton::setEnabledProperty(bool enabled) {
    setEnabled(enabled);
    mark("Enabled");
    if (enabled)
        m_state = Normal;
    Refresh();
}

void ThemedButton::setFocusStyle(int style) {
    m_focusStyle = isPush() ? style : 1;
    mark("FocusStyle");
    Refresh();
}

void ThemedButton::setFontProperty(const QFont& font) {
    setFont(font);
    mark("Font");
    Refresh();
}

void ThemedButton::setForeColor(ColorValue color) {
    m_foreColor = color;
    mark("ForeColor");
    Refresh();
}

bool ThemedButton::setMouseIcon(const QPixmap& icon) {
    if (icon.isNull()) {
        reportFailure(objectName(),
                      QStringLiteral("Error: #481\r\nInvalid picture\r\nSelect .ico or "
                                     ".cur files only."));
        return false;
    }
    m_mouseIcon = icon;
    mark("MouseIcon");
    m_mousePointer = 99;
    setCursor(QCursor(icon));
    Refresh();
    return true;
}

void ThemedButton::setMousePointer(int pointer) {
    m_mousePointer = pointer;
    mark("MousePointer");
    if (pointer == 0)
        unsetCursor();
    Refresh();
}

void ThemedButton::setOptionButtonMultiSelect(bool on) {
    m_multiSelect = on;
    mark("OptionButtonMultiSelect");
    Refresh();
}

void ThemedButton::setOverColor(ColorValue color) {
    m_overColor = isPush() ? color : m_backColor;
    mark("OverColor");
    Refresh();
}

void ThemedButton::setPicture(const QImage& picture) {
    m_picture = picture;
    mark("Picture");
    Refresh();
}

void ThemedButton::setPictureAlign(int align) {
    m_pictureAlign = (align == 2 && !m_caption.isEmpty()) ? 0 : align;
    mark("PictureAlign");
    recomputePictureExtent();
    Refresh();
}

void ThemedButton::setPictureSize(int size) {
    if (!isPush())
        return;
    m_pictureSize = std::clamp(size, 0, 5);
    mark("PictureSize");
    recomputePictureExtent();
    Refresh();
}

void ThemedButton::setShowFocusRect(bool on) {
    m_showFocusRect = on;
    mark("ShowFocusRect");
    Refresh();
}

void ThemedButton::setUseParentBackColor(bool on) {
    m_useParentBackColor = on;
    mark("UseParentBackColor");
    if (on && parentWidget()) {
        m_backColor = toColorValue(parentWidget()->palette().color(QPalette::Window));
        ApplyHoverBackground(m_backColor);
    }
    Refresh();
}

void ThemedButton::setValue(int value) {
    if (m_type == OptionButton && value == 2)
        return; // refused silently
    m_value = value;
    mark("Value");
    Refresh();
}

void ThemedButton::setSkin(int slot, const QImage& picture) {
    m_glyphs.at(size_t(slot)) = picture;
    mark("ButtonNormal");
    if (slot == SlotNormal)
        FitToSkin();
    ApplyShape();
    Refresh();
}

void ThemedButton::setDisplayAsDefault(bool on) {
    m_displayAsDefault = on;
    if (!isPush())
        m_state = Normal;
    Refresh();
}

bool ThemedButton::FitToSkin() {
    if (m_glyphs[SlotNormal].isNull())
        return false;
    for (size_t i = 1; i < m_glyphs.size(); ++i) {
        if (m_glyphs[i].isNull())
            m_glyphs[i] = m_glyphs[SlotNormal];
    }
    if (m_themeType == 1 && isPush()) {
        resize(m_glyphs[SlotNormal].size());
        return true;
    }
    return false;
}

void ThemedButton::ApplyHoverBackground(ColorValue color) {
    if (m_glyphs[SlotNormal].isNull())
        m_background = color;
}

void ThemedButton::layout() {
    if (m_inLayout)
        return;
    m_inLayout = true;
    if (!isPush() && height() < 18)
        resize(width(), 18);
    if (!FitToSkin())
        resize(std::max(width(), 7), std::max(height(), 16));
    m_clientRect = QRect(0, 0, width(), height());
    m_focusRect = QRect(QPoint(5, 5), QPoint(width() - 5 - 1, height() - 5 - 1));
    ApplyShape();
    Refresh();
    m_inLayout = false;
}

void ThemedButton::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout();
}

void ThemedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_surface);
}

void ThemedButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        Refresh();
    if (event->type() == QEvent::StyleChange) {
        m_themeActive = visualStyleInForce();
        ApplyHoverBackground(m_mouseInside ? m_overColor : m_backColor);
        ApplyShape();
        Refresh();
    }
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::PaletteChange) {
        if (m_useParentBackColor && parentWidget())
            setUseParentBackColor(true);
    }
}

bool ThemedButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        AccessKeyPress(m_accessKey.unicode());
        return true;
    }
    return QWidget::event(event);
}

void ThemedButton::mousePressEvent(QMouseEvent* event) {
    m_lastButton =
        event->button() == Qt::LeftButton ? 1 : (event->button() == Qt::RightButton ? 2 : 4);
    m_lastShift = int(event->modifiers() >> 25);
    m_lastX = event->position().x();
    m_lastY = event->position().y();
    emit MouseDown(m_lastButton, m_lastShift, m_lastX, m_lastY);
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    m_leftButtonDown = true;
    m_hasFocus = true;
    setState(Pressed);
    Refresh();
}

void ThemedButton::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(m_lastButton, m_lastShift, event->position().x(), event->position().y());
    if (event->button() != Qt::LeftButton) {
        m_lastButton = 0;
        return;
    }
    m_leftButtonDown = false;
    setState(m_clickedSinceFocus ? Over : (isPush() ? Defaulted : Normal));
    Refresh();
    if (m_mouseInside)
        clickHandler();
}

void ThemedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    emit DblClick();
    // A double click counts as two clicks: the second press is made a press again.
    mousePressEvent(event);
}

void ThemedButton::mouseMoveEvent(QMouseEvent* event) {
    if (m_spaceDown)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside) {
        m_mouseInside = true;
        setState(m_leftButtonDown ? Pressed : Over);
        ApplyHoverBackground(m_overColor);
    } else {
        m_mouseInside = false;
        setState(Over);
        ApplyHoverBackground(m_backColor);
    }
    Refresh();
    emit MouseMove(m_lastButton, m_lastShift, m_lastX, m_lastY);
}

void ThemedButton::leaveEvent(QEvent*) {
    if (m_spaceDown)
        return;
    if (m_clickedSinceFocus || m_hasFocus)
        setState(isPush() ? Defaulted : Normal);
    else
        setState(Normal);
    ApplyHoverBackground(m_backColor);
    m_mouseInside = false;
    Refresh();
    emit MouseLeave(m_lastButton, m_lastShift, m_lastX, m_lastY);
}

void ThemedButton::focusInEvent(QFocusEvent*) {
    m_hasFocus = true;
    m_spaceDown = false;
    if (!m_leftButtonDown && !m_mouseInside)
        setState(isPush() ? Defaulted : Normal);
    // Moving the focus onto an option button selects it.
    if (m_type == OptionButton && !m_multiSelect && !m_leftButtonDown) {
        SelectOrToggle();
        emit Click();
    }
    Refresh();
}

void ThemedButton::focusOutEvent(QFocusEvent*) {
    setState(m_mouseInside ? Over : Normal);
    m_hasFocus = m_clickedSinceFocus = m_spaceDown = false;
    Refresh();
}

void ThemedButton::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    emit KeyPress(event->text().isEmpty() ? 0 : event->text().at(0).unicode());
    if (key == Qt::Key_Space && !event->isAutoRepeat()) {
        setState(Pressed);
        m_spaceDown = true;
        emit KeyDown(key, int(event->modifiers() >> 25));
        Refresh();
        return;
    }
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
        // The key goes on to the container, which moves the focus.
        if (container())
            QApplication::postEvent(container(),
                                    new QKeyEvent(QEvent::KeyPress, key, event->modifiers()));
        if (m_spaceDown) {
            if (m_type == CheckBox || (m_type == OptionButton && m_multiSelect))
                SelectOrToggle();
            emit Click();
            m_spaceDown = false;
        }
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        AccessKeyPress(13);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ThemedButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return;
    emit KeyUp(event->key(), int(event->modifiers() >> 25));
    if (event->key() != Qt::Key_Space)
        return;
    setState(Over);
    if (m_spaceDown) {
        if (!isPush())
            SelectOrToggle();
        emit Click();
    }
    m_spaceDown = false;
    Refresh();
}

bool ThemedButton::AccessKeyPress(int keyAscii) {
    const bool enter = keyAscii == 13;
    const bool letter = !m_accessKey.isNull() && QChar(keyAscii).toUpper() == m_accessKey;
    if (!enter && !letter)
        return false;
    m_lastButton = 1;
    focusInEvent(nullptr);
    clickHandler();
    m_lastButton = 0;
    return true;
}

void ThemedButton::click() {
    const QPoint centre = rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, {});
    QMouseEvent move(QEvent::MouseMove, centre, mapToGlobal(centre), Qt::NoButton, Qt::LeftButton,
                     {});
    QMouseEvent release(QEvent::MouseButtonRelease, centre, mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, {});
    QApplication::sendEvent(this, &press);
    QApplication::sendEvent(this, &move);
    QApplication::sendEvent(this, &release);
}

void ThemedButton::clickHandler() {
    Refresh();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_clickedSinceFocus = true;
    if (m_lastButton != 1)
        return; // another mouse button: no Click
    if (!isPush())
        SelectOrToggle();
    emit Click();
}

void ThemedButton::SelectOrToggle() {
    if (m_type == CheckBox) {
        setValue(m_value == 1 ? 0 : 1);
    } else if (m_value != 1) {
        setValue(1);
        if (!m_multiSelect)
            ClearOptionGroup();
    } else if (m_multiSelect) {
        setValue(0);
    }
}

namespace {

// "Option1(2)" is element 2 of the control array Option1; other names have index -1.
std::pair<QString, int> arrayName(const QString& name) {
    static const QRegularExpression element(QStringLiteral("^(.*)\\((\\d+)\\)$"));
    const auto m = element.match(name);
    return m.hasMatch() ? std::make_pair(m.captured(1), m.captured(2).toInt())
                        : std::make_pair(name, -1);
}

} // namespace

void ThemedButton::ClearOptionGroup() {
    const auto [name, index] = arrayName(objectName());
    QWidget* form = window();
    for (QRadioButton* radio : form->findChildren<QRadioButton*>()) {
        if (radio->parentWidget() == container() && radio->isChecked()) {
            const bool exclusive = radio->autoExclusive();
            radio->setAutoExclusive(false);
            radio->setChecked(false);
            radio->setAutoExclusive(exclusive);
        }
    }
    for (ThemedButton* other : form->findChildren<ThemedButton*>()) {
        if (other == this || other->m_type != OptionButton)
            continue;
        const auto [otherName, otherIndex] = arrayName(other->objectName());
        if (otherName.contains(name)) {
            if (index == -1 || otherIndex == index)
                continue;
        } else if (other->m_multiSelect) {
            continue;
        }
        if (other->container() == container())
            other->setValue(0);
    }
    m_optionPoll.start();
}

void ThemedButton::pollOptions() {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    for (QRadioButton* radio : window()->findChildren<QRadioButton*>()) {
        if (radio->isChecked()) {
            if (radio->parentWidget() == container())
                setValue(0);
            m_optionPoll.stop();
            return;
        }
    }
}

void ThemedButton::readProperties(const PropertyBag& bag) {
    const auto get = [&](const char* key, const QVariant& byDefault) {
        return bag.read(QString::fromLatin1(key), byDefault);
    };
    const auto flag = [&](const char* key, bool byDefault) {
        return bag.readBool(QString::fromLatin1(key), byDefault);
    };
    m_backColor = get("BackColor", systemColor(kColorButtonFace)).toUInt();
    m_corner = get("ButtonCorner", 0).toInt();
    m_rounding = std::max(0, get("ButtonRounding", 0).toInt());
    m_themeType = get("ButtonThemeType", 0).toInt();
    m_type = get("ButtonType", 0).toInt();
    m_caption = get("Caption", objectName()).toString();
    m_captionAlign = get("CaptionAlign", 2).toInt();
    m_captionShadow = flag("CaptionShadow", false);
    setEnabled(flag("Enabled", true));
    m_focusStyle = get("FocusStyle", 0).toInt();
    setFont(get("Font", font()).value<QFont>());
    m_foreColor = get("ForeColor", systemColor(kColorButtonText)).toUInt();
    m_mousePointer = get("MousePointer", 0).toInt();
    m_multiSelect = flag("OptionButtonMultiSelect", false);
    m_overColor = get("OverColor", rgbValue(0xE0, 0xE0, 0xE0)).toUInt();
    m_picture = get("Picture", QImage()).value<QImage>();
    m_pictureAlign = get("PictureAlign", 0).toInt();
    m_pictureSize = std::clamp(get("PictureSize", 2).toInt(), 0, 5);
    m_showFocusRect = flag("ShowFocusRect", true);
    m_useParentBackColor = flag("UseParentBackColor", false);
    // "Value" reads as 2 when absent, while a new instance starts at 0.
    m_value = get("Value", 2).toInt();
    load();
}

void ThemedButton::writeProperties(PropertyBag& bag) const {
    const auto put = [&](const char* key, const QVariant& value, const QVariant& byDefault) {
        bag.write(QString::fromLatin1(key), value, byDefault);
    };
    const auto flag = [&](const char* key, bool value, bool byDefault) {
        bag.writeBool(QString::fromLatin1(key), value, byDefault);
    };
    put("BackColor", m_backColor, systemColor(kColorButtonFace));
    put("ButtonCorner", m_corner, 0);
    put("ButtonRounding", m_rounding, 0);
    put("ButtonThemeType", m_themeType, 0);
    put("ButtonType", m_type, 0);
    put("Caption", m_caption, objectName());
    put("CaptionAlign", m_captionAlign, 2);
    flag("CaptionShadow", m_captionShadow, false);
    flag("Enabled", isEnabled(), true);
    put("FocusStyle", m_focusStyle, 0);
    put("ForeColor", m_foreColor, systemColor(kColorButtonText));
    put("MousePointer", m_mousePointer, 0);
    flag("OptionButtonMultiSelect", m_multiSelect, false);
    put("OverColor", m_overColor, rgbValue(0xE0, 0xE0, 0xE0));
    put("PictureAlign", m_pictureAlign, 0);
    put("PictureSize", m_pictureSize, 2);
    flag("ShowFocusRect", m_showFocusRect, true);
    flag("UseParentBackColor", m_useParentBackColor, false);
    put("Value", m_value, 2);
}

} // namespace controls
