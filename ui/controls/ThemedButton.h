#pragma once
// A button drawn by the program in one of three looks (the running style's, a classic 3-D look,
// or a picture skin), as a push button, option button or check box. It tracks the pointer itself,
// draws focus and default cues, handles access keys, keeps option buttons of one container
// exclusive (standard radio buttons beside it included), persists its properties in the host's
// property bag, and shapes its window with a region.

#include "ui/controls/ColorValue.h"
#include "ui/controls/PropertyBag.h"

#include <QImage>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

namespace controls {

class ThemedButton : public QWidget {
    Q_OBJECT

public:
    enum VisualState { Normal = 1, Over = 2, Pressed = 3, Disabled = 4, Defaulted = 5 };
    enum Type { PushButton = 0, OptionButton = 1, CheckBox = 2 };
    enum Slot { SlotNormal = 0, SlotOver, SlotPressed, SlotDisabled, SlotDefaulted = 12 };

    // A new instance: the defaults, the caption the control's name, state Normal.
    explicit ThemedButton(QWidget* parent = nullptr, const QString& name = QString());

    ColorValue BackColor() const { return m_backColor; }
    void setBackColor(ColorValue color);
    int ButtonCorner() const { return m_corner; }
    void setButtonCorner(int corner);
    int ButtonRounding() const { return m_rounding; }
    void setButtonRounding(int pixels);
    int ButtonThemeType() const { return m_themeType; }
    void setButtonThemeType(int type);
    int ButtonType() const { return m_type; }
    void setButtonType(int type);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    int CaptionAlign() const { return m_captionAlign; }
    void setCaptionAlign(int align);
    bool CaptionShadow() const { return m_captionShadow; }
    void setCaptionShadow(bool on);
    bool Enabled() const { return isEnabled(); }
    void setEnabledProperty(bool enabled);
    int FocusStyle() const { return m_focusStyle; }
    void setFocusStyle(int style);
    void setFontProperty(const QFont& font);
    ColorValue ForeColor() const { return m_foreColor; }
    void setForeColor(ColorValue color);
    bool setMouseIcon(const QPixmap& icon);
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    // The cursor of MousePointer: a standard pointer (1-15), MouseIcon (99), else the default.
    void applyMousePointer();
    bool OptionButtonMultiSelect() const { return m_multiSelect; }
    void setOptionButtonMultiSelect(bool on);
    ColorValue OverColor() const { return m_overColor; }
    void setOverColor(ColorValue color);
    const QImage& Picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    int PictureAlign() const { return m_pictureAlign; }
    void setPictureAlign(int align);
    int PictureSize() const { return m_pictureSize; }
    void setPictureSize(int size);
    bool ShowFocusRect() const { return m_showFocusRect; }
    void setShowFocusRect(bool on);
    bool UseParentBackColor() const { return m_useParentBackColor; }
    void setUseParentBackColor(bool on);
    int value() const { return m_value; }
    void setValue(int value);
    // Skin pictures by slot: 0-3 Normal, Over, Pressed, Disabled; 4-7 the same with Value 1;
    // 8-11 with Value 2; 12 Defaulted.
    void setSkin(int slot, const QImage& picture);
    const QImage& skin(int slot) const { return m_glyphs.at(size_t(slot)); }

    // The host's default-button key (13) or an access key; returns whether it clicked.
    bool AccessKeyPress(int keyAscii);
    // A completed left click, as the user makes it.
    void click();
    void Refresh();

    void readProperties(const PropertyBag& bag);
    void writeProperties(PropertyBag& bag) const;
    const PropertyChanges& changes() const { return m_changes; }

    VisualState state() const { return m_state; }
    QChar accessKey() const { return m_accessKey; }
    int accessKeyPos() const { return m_accessKeyPos; }
    int pictureExtent() const { return m_pictureExtent; }
    QRect focusRect() const { return m_focusRect; }
    QRect captionRect() const { return m_captionRect; }
    bool themeActive() const { return m_themeActive; }
    const QImage& surface() const { return m_surface; }
    // The window region ApplyShape set (the mask is not applied by every window system).
    const QRegion& shape() const { return m_shape; }
    // The host's DisplayAsDefault ambient.
    void setDisplayAsDefault(bool on);

    // Where a MouseIcon that cannot be used is reported (a message box by default).
    static std::function<void(const QString& title, const QString& text)> reportFailure;

    // Drag and drop as the host offers it: with the drop mode 1 (manual) the button takes
    // drops and tells of them (OLEDragOver, OLEDragDrop); OLEDrag starts a drag from it
    // (OLEStartDrag, OLESetData for each format asked of the data, OLEGiveFeedback,
    // OLECompleteDrag). Effects: 0 none, 1 copy, 2 move.
    int OLEDropMode() const { return m_oleDropMode; }
    void setOLEDropMode(int mode);
    void OLEDrag();

signals:
    void Click();
    void DblClick();
    void KeyDown(int keyCode, int shift);
    void KeyPress(int keyAscii);
    void KeyUp(int keyCode, int shift);
    void MouseDown(int button, int shift, double x, double y);
    void MouseLeave(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    // The handler may change *effect (and *allowedEffects, *defaultCursors) as the host's
    // arguments passed by reference; state 0 the drag entered, 1 it left, 2 it moved over.
    void OLECompleteDrag(int effect);
    void OLEDragDrop(QMimeData* data, int* effect, int button, int shift, double x, double y);
    void OLEDragOver(QMimeData* data, int* effect, int button, int shift, double x, double y,
                     int state);
    void OLEGiveFeedback(int effect, bool* defaultCursors);
    void OLESetData(QMimeData* data, const QString& format);
    void OLEStartDrag(QMimeData* data, int* allowedEffects);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void dragOver(QDragMoveEvent* event, int state);

private:
    void load();
    bool FitToSkin();
    void ApplyHoverBackground(ColorValue color);
    void ApplyShape();
    void DrawCaption(int offset);
    void DrawPicture(int extent);
    void recomputePictureExtent();
    void layout();
    void clickHandler();
    void SelectOrToggle();
    void ClearOptionGroup();
    void pollOptions();
    void setState(VisualState state);
    void mark(const char* key);
    bool isPush() const { return m_type == PushButton; }
    QWidget* container() const { return parentWidget(); }

    ColorValue m_backColor = systemColor(kColorButtonFace);
    int m_corner = 0;
    int m_rounding = 0;
    int m_themeType = 0;
    int m_type = PushButton;
    QString m_caption;
    int m_captionAlign = 2;
    bool m_captionShadow = false;
    int m_focusStyle = 0;
    ColorValue m_foreColor = systemColor(kColorButtonText);
    QPixmap m_mouseIcon;
    int m_oleDropMode = 0;
    QMimeData* m_dragData = nullptr; // what the last drag over carried, for its leave
    int m_mousePointer = 0;
    bool m_multiSelect = false;
    ColorValue m_overColor = rgbValue(0xE0, 0xE0, 0xE0);
    QImage m_picture;
    int m_pictureAlign = 0;
    int m_pictureSize = 2;
    bool m_showFocusRect = true;
    bool m_useParentBackColor = false;
    int m_value = 0;
    std::array<QImage, 13> m_glyphs;

    VisualState m_state = Normal;
    ColorValue m_background = systemColor(kColorButtonFace);
    bool m_mouseInside = false, m_hasFocus = false, m_clickedSinceFocus = false;
    bool m_leftButtonDown = false, m_spaceDown = false, m_themeActive = false;
    bool m_displayAsDefault = false, m_inLayout = false;
    int m_lastButton = 0, m_lastShift = 0;
    double m_lastX = 0, m_lastY = 0;
    QChar m_accessKey;
    int m_accessKeyPos = 0;
    int m_shortcut = 0;
    int m_pictureExtent = 32;
    QRect m_clientRect, m_focusRect, m_captionRect;
    QImage m_surface;
    QRegion m_shape;
    QTimer m_optionPoll;
    PropertyChanges m_changes;
};

// A window region as the system builds a rounded rectangle: (x1, y1) to (x2, y2) exclusive, with
// corner ellipses ew x eh.
QRegion roundRectRegion(int x1, int y1, int x2, int y2, int ew, int eh);

} // namespace controls
