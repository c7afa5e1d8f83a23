// Finding a window's controls in the tests, by their object names as a user finds them by their
// captions: the windows keep their widgets to themselves.
#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

// The child of window named name; a missing one ends the test with its name.
template <typename T>
T& Control(const QObject& window, const char* name)
{
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr)
        throw std::runtime_error(std::string("no control named ") + name);
    return *control;
}
