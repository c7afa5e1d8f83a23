// Finding a window's controls in the tests, by their object names as a user finds them by their
// captions (the windows keep their widgets to themselves), and checking that a layout shows them.
#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <stdexcept>
#include <string>

namespace talvor {

// The child of window named name; a missing one ends the test with its name.
template <typename T>
T& Control(const QObject& window, const char* name)
{
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr)
        throw std::runtime_error(std::string("no control named ") + name);
    return *control;
}

// What keeps a control of window out of sight: one line for every visible button, field, label,
// text area or group that reaches beyond the window, is smaller than it needs to show itself (its
// minimum size hint), or overlaps another such control that is neither inside it nor around it.
inline std::string LayoutFaults(const QWidget& window)
{
    QList<QWidget*> controls;
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->isVisibleTo(&window) &&
            (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLineEdit*>(child) ||
             qobject_cast<QLabel*>(child) || qobject_cast<QPlainTextEdit*>(child) ||
             qobject_cast<QGroupBox*>(child)))
            controls << child;
    }
    auto name = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) + "(" +
                                               w->property("text").toString() + ")"
                                         : w->objectName();
    };
    auto inWindow = [&](const QWidget* w) { return QRect(w->mapTo(&window, QPoint()), w->size()); };
    QStringList faults;
    for (const QWidget* control : controls) {
        const QRect rect = inWindow(control);
        if (!window.rect().contains(rect))
            faults << name(control) + " beyond the window";
        const QSize needed = control->minimumSizeHint();
        if (rect.width() < needed.width() || rect.height() < needed.height())
            faults << name(control) + " smaller than it needs";
        for (const QWidget* other : controls) {
            if (other <= control || control->isAncestorOf(other) || other->isAncestorOf(control))
                continue;
            if (rect.intersects(inWindow(other)))
                faults << name(control) + " overlaps " + name(other);
        }
    }
    return faults.join(QLatin1Char('\n')).toStdString();
}

} // namespace talvor
