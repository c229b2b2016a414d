// The store rating object and the Rate button.
#include "app/AppDelegate.h"

#include "app/KLVValidatedViewToolbar.h"
#include "app/MacAppStoreRating.h"

#include <QToolButton>

// Creates the rating object unless one is given, and ties the Rate button to
// it. Without a store the button could never do anything: it stays hidden.
void AppDelegate::InitRatingObject()
{
    if (!rateApplicationObject)
        rateApplicationObject = new MacAppStoreRating(this);
    KLVValidatedViewToolbarItem::setTarget(ratingToolbarItem, this, "RateApplicationAction");
    connect(ratingToolbarItem, &QToolButton::clicked, this, &AppDelegate::RateApplicationAction,
            Qt::UniqueConnection);
    const bool hasStore = !rateApplicationObject->storeHost().isEmpty();
    for (QAction* item : mainToolbar->actions()) {
        if (mainToolbar->widgetForAction(item) == ratingToolbarItem)
            item->setVisible(hasStore);
    }
}

void AppDelegate::RateApplicationAction()
{
    if (rateApplicationObject)
        QMetaObject::invokeMethod(rateApplicationObject, &MacAppStoreRating::RateApplicationAction,
                                  Qt::QueuedConnection);
}
