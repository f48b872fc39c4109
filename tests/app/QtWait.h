#pragma once
#include <QApplication>
#include <QDeadlineTimer>
#include <QWidget>

#include <functional>

namespace tabrix::testing {

// Processes events until `condition` holds; false when it still fails after a generous
// allowance (a hang guard, not a timing assertion).
inline bool waitUntil(const std::function<bool()>& condition, int allowanceMs = 30000)
{
    QDeadlineTimer deadline(allowanceMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The visible top-level window of type T, if any.
template <typename T>
T* visibleWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

} // namespace tabrix::testing
