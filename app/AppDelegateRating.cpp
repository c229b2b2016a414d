// The store rating object and the Rate button.
#include "app/AppDelegate.h"

#include <QToolButton>

// Without the store lookup the Rate button would do nothing: it stays hidden.
void AppDelegate::InitRatingObject()
{
    for (QAction* item : mainToolbar->actions()) {
        if (mainToolbar->widgetForAction(item) == ratingToolbarItem)
            item->setVisible(false);
    }
}
