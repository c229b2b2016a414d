#pragma once
// Sending a named message to an object, the way a target and selector pair is
// used: the selector is the name of a Q_INVOKABLE method of the object.
#include <QVariant>

class QObject;

namespace platform {

// Calls object->selector(argument) on the main thread, waiting for it when
// wait is set. The method must take one QVariant. Answers false when the
// object has no such method.
bool performSelectorOnMainThread(QObject* object, const char* selector, const QVariant& argument,
                                 bool wait);

// Asks object for a boolean on the caller's own thread: a Q_INVOKABLE method
// taking no argument, else a property of that name. False when it has neither.
bool askBool(QObject* object, const char* name);

} // namespace platform
