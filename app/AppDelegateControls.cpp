// Enabling the list and export controls from the state of the list.
#include "app/AppDelegate.h"

// The enable rules come with the export road.
void AppDelegate::InitialiseUIControls() {}
