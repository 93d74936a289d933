// The themed button's drag and drop: the window system's drag and drop passed to the host as the
// six events, with the effects the host may change on the way.
#include "ui/controls/ThemedButton.h"

#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>

namespace controls {

namespace {

constexpr int kDropManual = 1;

// Data whose formats the host fills when a target asks for them (OLESetData).
class RequestedData : public QMimeData {
public:
    explicit RequestedData(ThemedButton* button)
        : m_button(button) {}

protected:
    QVariant retrieveData(const QString& format, QMetaType type) const override {
        if (!QMimeData::hasFormat(format) && m_button)
            emit m_button->OLESetData(const_cast<RequestedData*>(this), format);
        return QMimeData::retrieveData(format, type);
    }

private:
    QPointer<ThemedButton> m_button;
};

int effectOf(Qt::DropAction action) {
    return action == Qt::CopyAction ? 1 : action == Qt::MoveAction ? 2 : 0;
}

Qt::DropAction actionOf(int effect) {
    return (effect & 2) ? Qt::MoveAction : (effect & 1) ? Qt::CopyAction : Qt::IgnoreAction;
}

Qt::DropActions actionsOf(int effects) {
    Qt::DropActions actions;
    if (effects & 1)
        actions |= Qt::CopyAction;
    if (effects & 2)
        actions |= Qt::MoveAction;
    return actions;
}

int buttonsOf(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftOf(Qt::KeyboardModifiers modifiers) {
    return int(modifiers >> 25);
}

} // namespace

void ThemedButton::setOLEDropMode(int mode) {
    m_oleDropMode = mode;
    setAcceptDrops(mode == kDropManual);
}

void ThemedButton::OLEDrag() {
    auto* carried = new RequestedData(this);
    int allowed = 1 | 2;
    emit OLEStartDrag(carried, &allowed);
    if (allowed == 0) {
        delete carried;
        emit OLECompleteDrag(0);
        return;
    }
    QDrag drag(this);
    drag.setMimeData(carried);
    connect(&drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
        bool defaultCursors = true;
        emit OLEGiveFeedback(effectOf(action), &defaultCursors);
    });
    const Qt::DropAction done = drag.exec(actionsOf(allowed), actionOf(allowed));
    emit OLECompleteDrag(effectOf(done));
}

void ThemedButton::dragEnterEvent(QDragEnterEvent* event) {
    dragOver(event, 0);
}

void ThemedButton::dragMoveEvent(QDragMoveEvent* event) {
    dragOver(event, 2);
}

// A drag entered (state 0) or moved over (2): the host says what the drop would do.
void ThemedButton::dragOver(QDragMoveEvent* event, int state) {
    m_dragData = const_cast<QMimeData*>(event->mimeData());
    int effect = effectOf(event->proposedAction());
    emit OLEDragOver(m_dragData, &effect, buttonsOf(event->buttons()), shiftOf(event->modifiers()),
                     event->position().x(), event->position().y(), state);
    event->setDropAction(actionOf(effect));
    effect ? event->accept() : event->ignore();
}

void ThemedButton::dragLeaveEvent(QDragLeaveEvent*) {
    int effect = 0;
    const QPoint at = mapFromGlobal(QCursor::pos());
    emit OLEDragOver(m_dragData, &effect, 0, 0, at.x(), at.y(), 1);
    m_dragData = nullptr;
}

void ThemedButton::dropEvent(QDropEvent* event) {
    int effect = effectOf(event->proposedAction());
    emit OLEDragDrop(const_cast<QMimeData*>(event->mimeData()), &effect,
                     buttonsOf(event->buttons()), shiftOf(event->modifiers()),
                     event->position().x(), event->position().y());
    m_dragData = nullptr;
    event->setDropAction(actionOf(effect));
    effect ? event->accept() : event->ignore();
}

} // namespace controls
