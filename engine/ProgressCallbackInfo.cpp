#include "engine/ProgressCallbackInfo.h"

#include "platform/ObjectMessaging.h"

#include <QVariant>

void ReportProgress(const ProgressCallbackInfo& progress, long n)
{
    if (progress.object && progress.selector)
        platform::performSelectorOnMainThread(progress.object, progress.selector,
                                              QVariant::fromValue<qlonglong>(n), true);
}

bool IsConversionCancelled(const ProgressCallbackInfo& progress)
{
    return progress.object && platform::askBool(progress.object, "isConversionCancelled");
}
