#include "ui/controls/ThemedButton.h"

#include "ui/controls/VisualStyle.h"

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

} // namespace controls
