// The themed button's properties: the set operations with their extra work, and the property
// bag with each key's default.
#include "ui/controls/ThemedButton.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <optional>

namespace controls {

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
    applyMousePointer();
    Refresh();
    return true;
}

void ThemedButton::setMousePointer(int pointer) {
    m_mousePointer = pointer;
    mark("MousePointer");
    applyMousePointer();
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

namespace {

// The property names of the skin pictures, by slot.
const char* const kSkinKeys[] = {
    "ButtonNormal",       "ButtonOver",       "ButtonPressed",       "ButtonDisabled",
    "ButtonNormalValued", "ButtonOverValued", "ButtonPressedValued", "ButtonDisabledValued",
    "ButtonNormalGrayed", "ButtonOverGrayed", "ButtonPressedGrayed", "ButtonDisabledGrayed",
    "ButtonDefaulted"};

// The standard pointer numbers as the window system's cursors (4, an icon, has none of its own).
std::optional<Qt::CursorShape> cursorOf(int pointer) {
    switch (pointer) {
    case 1: return Qt::ArrowCursor;
    case 2: return Qt::CrossCursor;
    case 3: return Qt::IBeamCursor;
    case 4: return Qt::ArrowCursor;
    case 5: return Qt::SizeAllCursor;
    case 6: return Qt::SizeBDiagCursor;
    case 7: return Qt::SizeVerCursor;
    case 8: return Qt::SizeFDiagCursor;
    case 9: return Qt::SizeHorCursor;
    case 10: return Qt::UpArrowCursor;
    case 11: return Qt::WaitCursor;
    case 12: return Qt::ForbiddenCursor;
    case 13: return Qt::BusyCursor;
    case 14: return Qt::WhatsThisCursor;
    case 15: return Qt::SizeAllCursor;
    default: return std::nullopt;
    }
}

} // namespace

void ThemedButton::applyMousePointer() {
    if (m_mousePointer == 99 && !m_mouseIcon.isNull())
        setCursor(QCursor(m_mouseIcon));
    else if (const auto shape = cursorOf(m_mousePointer))
        setCursor(*shape);
    else
        unsetCursor(); // 0, the default, and numbers without a pointer
}

void ThemedButton::setSkin(int slot, const QImage& picture) {
    m_glyphs.at(size_t(slot)) = picture;
    mark(kSkinKeys[slot]);
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
    m_mouseIcon = get("MouseIcon", QPixmap()).value<QPixmap>();
    applyMousePointer();
    for (size_t slot = 0; slot < m_glyphs.size(); ++slot)
        m_glyphs[slot] = get(kSkinKeys[slot], QImage()).value<QImage>();
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
    // The host's ambient font is the container's.
    put("Font", font(), parentWidget() ? parentWidget()->font() : QApplication::font(this));
    put("Picture", m_picture, QImage());
    put("MouseIcon", m_mouseIcon.isNull() ? QVariant() : QVariant(m_mouseIcon), QVariant());
    for (size_t slot = 0; slot < m_glyphs.size(); ++slot)
        put(kSkinKeys[slot], m_glyphs[slot], QImage());
}

} // namespace controls
