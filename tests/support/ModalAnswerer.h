#pragma once
// Answers the message boxes a test provokes: it watches for a modal message box, notes its text,
// and presses the button the test chose, so that no test waits for a person.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <vector>

namespace testsupport {

class ModalAnswerer {
public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }

    QStringList texts;
    // Each box's icon and its buttons, in the order the boxes came.
    std::vector<QMessageBox::Icon> icons;
    std::vector<QMessageBox::StandardButtons> buttons;

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        texts << box->windowTitle() + QStringLiteral(": ") + box->text();
        icons.push_back(box->icon());
        buttons.push_back(box->standardButtons());
        if (QAbstractButton* b = box->button(m_answer))
            b->click();
        else
            box->close();
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};

} // namespace testsupport
