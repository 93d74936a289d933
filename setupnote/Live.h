#pragma once
// The install notice: one small window saying that the product was installed and where to find
// it, closed with its "Close" button. It shares nothing with the main program.

#include <QWidget>

class QLabel;
class QPushButton;

class Live : public QWidget {
    Q_OBJECT

public:
    explicit Live(QWidget* parent = nullptr);

    // The emblem beside the text, drawn here so that the program carries no picture file.
    static QPixmap emblem(int size);

private:
    QLabel* m_label1;
    QLabel* m_label2;
    QLabel* m_image2;
    QPushButton* m_command1;
};
