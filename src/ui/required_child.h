#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

namespace peltro {

// The child of parent named name, of type T. The panel's controls are found
// by name; a name that is missing or misspelled, or a control of another
// kind, is a fault of the program, and it stops here with a clear message in
// every build type rather than failing silently further on.
template <typename T> T* requireChild(const QObject* parent, const QString& name)
{
    T* child = parent->findChild<T*>(name);
    if (!child) {
        qFatal("%s has no %s named \"%s\"", qPrintable(parent->objectName()), T::staticMetaObject.className(),
               qPrintable(name));
    }
    return child;
}

} // namespace peltro
