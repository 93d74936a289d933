#pragma once
// The help window: one text box that the analysis window's help buttons fill. It stays above
// other windows; there is one, made on first use.

#include <QWidget>

namespace controls {
class TitelBar;
}
class QPlainTextEdit;

namespace forms {

class RecodeHelp : public QWidget {
    Q_OBJECT

public:
    static RecodeHelp& instance();

    // Lines are separated by CR LF, as the help texts are written.
    void setText(const QString& text);
    QString text() const;
    void setHeightTwips(int twips);

private:
    RecodeHelp();

    controls::TitelBar* m_caption;
    QPlainTextEdit* m_text;
};

} // namespace forms
