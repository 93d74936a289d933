#pragma once
// The About window: the product's name, a notice, and a button to the product's web site. It
// stays above other windows; there is one, made on first use.

#include <QWidget>

class QLabel;
class QPushButton;

namespace forms {

class About : public QWidget {
    Q_OBJECT

public:
    static About& instance();

signals:
    // "Web site" was clicked: the window is closing and the address was handed to the browser.
    void webSiteOpened();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    About();
    void openWebSite();

    QLabel* m_label4;
};

} // namespace forms
