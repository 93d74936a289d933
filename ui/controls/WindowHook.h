#pragma once
// The window hook: one registration per window, through which an owner sees chosen events of the
// window before the window handles them, without changing how it handles them. Failures are
// reported with the hook's messages and the registration simply does not happen.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <functional>

namespace controls {

class WindowHook : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(QWidget* window, QEvent* event)>;
    static constexpr int kMaxMessages = 32;

    // Hooks window; false (with the reason in error) when it cannot be hooked.
    static bool subclass(QWidget* window, Handler handler, QString* error = nullptr);
    // Adds an event type to the window's table (the "before" table); false on overflow.
    static bool addMessage(QWidget* window, QEvent::Type type, QString* error = nullptr);
    static void removeMessage(QWidget* window, QEvent::Type type);
    static void unsubclass(QWidget* window);
    static bool isSubclassed(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowHook(QWidget* window, Handler handler);
    static QHash<const QWidget*, WindowHook*>& registry();

    QPointer<QWidget> m_window;
    Handler m_handler;
    QSet<int> m_messages;
};

} // namespace controls
