#pragma once
// A progress bar that shows a value from 0 to 100 as a gradient bar in a dark groove, with a
// caption over the bar. It composes its picture off screen from two small built-in images (the
// bar and the groove) and shows it lying, or standing with the bar growing from the bottom when
// the control is higher than wide.

#include "ui/controls/ColorValue.h"
#include "ui/controls/PropertyBag.h"

#include <QFont>
#include <QImage>
#include <QWidget>

namespace controls {

class ProgressBar : public QWidget {
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    int Alignment() const { return m_alignment; }
    void setAlignment(int alignment);
    int BarColor() const { return m_barColor; }
    void setBarColor(int code);
    ColorValue BorderColor() const { return m_borderColor; }
    void setBorderColor(ColorValue color);
    bool BorderDefault() const { return m_borderDefault; }
    void setBorderDefault(bool value);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    bool Enabled() const { return isEnabled(); }
    void setEnabledState(bool enabled);
    QFont Font() const { return m_canvasFont; }
    void setFontProperty(const QFont& font);
    ColorValue ForeColor() const { return m_foreColor; }
    void setForeColor(ColorValue color);
    int Orientation() const { return m_orientation; }
    void setOrientation(int orientation);
    int value() const { return m_value; }
    void setValue(int newValue);

    // Value 0 and no caption, even while disabled, without raising Change.
    void Clear();
    void Paint();

    void readProperties(const PropertyBag& bag);
    void writeProperties(PropertyBag& bag) const;
    const PropertyChanges& changes() const { return m_changes; }

    // What the control shows (the canvas, turned when standing), and the canvas itself.
    const QImage& displayed() const { return m_displayed; }
    const QImage& canvas() const { return m_canvas; }
    const QImage& barStrip() const { return m_strip; }
    double pixelsPerPercent() const { return m_pixelsPerPercent; }

    // The built-in images: the bar (4 x 29) and the groove (6 x 31).
    static const QImage& barImage();
    static const QImage& grooveImage();
    // The thickness of the control: the groove's height of 372 twips.
    int thickness() const;

signals:
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildBarStrip();
    void DrawFrame();
    void PresentImage(const QImage& picture);
    void ApplyOrientation();

    int m_alignment = 2;
    int m_barColor = 0;
    ColorValue m_borderColor = 0;
    bool m_borderDefault = false;
    QString m_caption;
    ColorValue m_foreColor = 0;
    int m_orientation = 0;
    int m_value = 0;
    QFont m_canvasFont;
    bool m_clearing = false;
    bool m_inResize = false;
    double m_pixelsPerPercent = 0;
    QImage m_strip;  // picBuffer
    QImage m_frame;  // the canvas's persistent background: the drawn groove
    QImage m_canvas; // picProcess
    QImage m_displayed;
    PropertyChanges m_changes;
};

} // namespace controls
