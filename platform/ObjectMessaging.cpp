#include "platform/ObjectMessaging.h"

#include "platform/MainThread.h"

#include <QMetaMethod>
#include <QObject>
#include <QPointer>

namespace platform {

namespace {

QMetaMethod findMethod(const QObject* object, const QByteArray& signature)
{
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfMethod(QMetaObject::normalizedSignature(signature.constData()));
    return index < 0 ? QMetaMethod() : meta->method(index);
}

} // namespace

bool performSelectorOnMainThread(QObject* object, const char* selector, const QVariant& argument,
                                 bool wait)
{
    if (!object || !selector)
        return false;
    const QMetaMethod method = findMethod(object, QByteArray(selector) + "(QVariant)");
    if (!method.isValid())
        return false;
    QPointer<QObject> target(object);
    runOnMainThread(
        [target, method, argument] {
            if (target)
                method.invoke(target.data(), Qt::DirectConnection, Q_ARG(QVariant, argument));
        },
        wait);
    return true;
}

bool askBool(QObject* object, const char* name)
{
    if (!object || !name)
        return false;
    const QMetaMethod method = findMethod(object, QByteArray(name) + "()");
    if (method.isValid()) {
        bool answer = false;
        method.invoke(object, Qt::DirectConnection, Q_RETURN_ARG(bool, answer));
        return answer;
    }
    return object->property(name).toBool();
}

} // namespace platform
