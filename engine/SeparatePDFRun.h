#pragma once
// The run shared by the batch jobs that give every input a PDF of its own in
// a folder.
#include "engine/ProgressCallbackInfo.h"
#include "engine/SourceFileEntry.h"

#include <QUrl>

#include <functional>
#include <optional>

struct SeparateRunRules {
    bool pollCancel = false;         // after each entry; a cancel ends the run with NO
    bool stopAtFirstFailure = false; // an entry that answers NO ends the run
};

// For each entry in order: its output URL in folder, named after its file and
// unique there; status 3; then convert(entry, file, output), whose answer
// becomes the run's result (nullopt leaves the result as it is). A null entry
// is reported and converts nothing. YES with no entries; otherwise the answer
// of the last entry that set it.
bool ConvertEntriesToOwnPDFs(
    const SourceFileEntries& sources, const QUrl& folder, const ProgressCallbackInfo& progress,
    SeparateRunRules rules,
    const std::function<std::optional<bool>(const QVariantMap& entry, const QUrl& file,
                                            const QUrl& output)>& convert);
