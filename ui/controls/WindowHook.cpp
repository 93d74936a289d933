#include "ui/controls/WindowHook.h"

#include <QHash>

namespace controls {

namespace {
void fail(QString* error, const QString& message) {
    if (error)
        *error = message;
}
} // namespace

QHash<const QWidget*, WindowHook*>& WindowHook::registry() {
    static QHash<const QWidget*, WindowHook*> hooks;
    return hooks;
}

WindowHook::WindowHook(QWidget* window, Handler handler)
    : QObject(window)
    , m_window(window)
    , m_handler(std::move(handler)) {
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this,
            [w = static_cast<const QWidget*>(window)] { registry().remove(w); });
}

bool WindowHook::subclass(QWidget* window, Handler handler, QString* error) {
    if (!window) {
        fail(error, QStringLiteral("Invalid window handle"));
        return false;
    }
    if (!handler) {
        fail(error, QStringLiteral("Callback method not found"));
        return false;
    }
    if (registry().contains(window)) {
        fail(error, QStringLiteral("Window handle is already subclassed"));
        return false;
    }
    registry().insert(window, new WindowHook(window, std::move(handler)));
    return true;
}

bool WindowHook::addMessage(QWidget* window, QEvent::Type type, QString* error) {
    WindowHook* hook = registry().value(window);
    if (!hook) {
        fail(error, QStringLiteral("Thunk hasn't been initialized"));
        return false;
    }
    if (hook->m_messages.contains(int(type)))
        return true;
    if (hook->m_messages.size() >= kMaxMessages) {
        fail(error,
             QStringLiteral("Message table overflow. Either increase the value of Const "
                            "MSG_ENTRIES or use ALL_MESSAGES instead of specific message values"));
        return false;
    }
    hook->m_messages.insert(int(type));
    return true;
}

void WindowHook::removeMessage(QWidget* window, QEvent::Type type) {
    if (WindowHook* hook = registry().value(window))
        hook->m_messages.remove(int(type));
}

void WindowHook::unsubclass(QWidget* window) {
    if (WindowHook* hook = registry().take(window)) {
        window->removeEventFilter(hook);
        hook->deleteLater();
    }
}

bool WindowHook::isSubclassed(const QWidget* window) {
    return registry().contains(window);
}

bool WindowHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && m_messages.contains(int(event->type())))
        m_handler(m_window, event);
    return false; // the window's own handling is unchanged
}

} // namespace controls
