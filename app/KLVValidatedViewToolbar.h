#pragma once
// Toolbar items that enable their control by asking the control's target:
// a control whose target has no method for its action keeps its state; one
// whose target has it is enabled unless the target's validateToolbarItem
// says otherwise. Nothing in the program answers validateToolbarItem, so
// these classes serve only items that are never disabled on purpose. A
// toolbar that checks its visible items that way.
#include <QToolBar>
#include <QWidgetAction>

inline constexpr const char* kTargetProperty = "target";
inline constexpr const char* kActionProperty = "action";

class KLVValidatedViewToolbarItem : public QWidgetAction {
    Q_OBJECT
public:
    explicit KLVValidatedViewToolbarItem(QObject* parent = nullptr) : QWidgetAction(parent) {}

    // Names the method of target that the control's clicks call.
    static void setTarget(QWidget* control, QObject* target, const char* action);

    // The item check.
    void validate();
    // The check for any toolbar item holding a view.
    static void validateItem(QAction* item, QWidget* view);
};

class KLVValidatedViewToolbar : public QToolBar {
    Q_OBJECT
public:
    using QToolBar::QToolBar;

    // Checks every visible item whose view sits in a window.
    void validateVisibleItems();
};
