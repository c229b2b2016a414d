#pragma once
// How the engine talks back to its caller: progress reports and the cancel
// query, both addressed to one target object.

class QObject;

// The target of a job's reports. object answers isConversionCancelled;
// selector names its Q_INVOKABLE method taking one QVariant (the number).
// Neither is owned: the caller keeps the target alive for the whole job.
struct ProgressCallbackInfo {
    QObject* object = nullptr;
    const char* selector = nullptr;
};

// Status codes of the document jobs' reports.
enum ConversionProgressStatus : long {
    ConversionProgressStarted = 1,
    ConversionProgressNextInput = 3,
    ConversionProgressEnded = 5,
    ConversionProgressSavingBegins = 6,
    ConversionProgressSavingEnds = 7,
};

// Sends n to the target on the main thread and waits for the handler, when
// both object and selector are set.
void ReportProgress(const ProgressCallbackInfo& progress, long n);

// Asks the target, on the caller's thread, whether the job is to stop. No
// object: never cancelled.
bool IsConversionCancelled(const ProgressCallbackInfo& progress);
