#include "app/KLVValidatedViewToolbar.h"

#include "app/SegmentedControl.h"

#include <QAbstractButton>

namespace {

bool isControl(const QWidget* view)
{
    return qobject_cast<const QAbstractButton*>(view) || qobject_cast<const SegmentedControl*>(view);
}

bool hasMethod(const QObject* target, const char* signature)
{
    return target->metaObject()->indexOfMethod(QMetaObject::normalizedSignature(signature)) >= 0;
}

} // namespace

void KLVValidatedViewToolbarItem::setTarget(QWidget* control, QObject* target, const char* action)
{
    control->setProperty(kTargetProperty, QVariant::fromValue(target));
    control->setProperty(kActionProperty, QByteArray(action));
}

void KLVValidatedViewToolbarItem::validateItem(QAction* item, QWidget* view)
{
    if (!isControl(view))
        return;
    auto* target = view->property(kTargetProperty).value<QObject*>();
    const QByteArray action = view->property(kActionProperty).toByteArray();
    if (!target || action.isEmpty() || !hasMethod(target, action + "()"))
        return;
    bool enabled = true;
    if (hasMethod(target, "validateToolbarItem(QAction*)"))
        QMetaObject::invokeMethod(target, "validateToolbarItem", Q_RETURN_ARG(bool, enabled), Q_ARG(QAction*, item));
    item->setEnabled(enabled);
    view->setEnabled(enabled);
}

void KLVValidatedViewToolbarItem::validate()
{
    if (QWidget* view = defaultWidget())
        validateItem(this, view);
}

void KLVValidatedViewToolbar::validateVisibleItems()
{
    for (QAction* item : actions()) {
        QWidget* view = widgetForAction(item);
        if (!item->isVisible() || !view || !view->parentWidget())
            continue;
        KLVValidatedViewToolbarItem::validateItem(item, view);
    }
}
