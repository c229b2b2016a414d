#include "engine/SeparatePDFRun.h"

#include "Common UI Code/KLVUtil.h"

bool ConvertEntriesToOwnPDFs(
    const SourceFileEntries& sources, const QUrl& folder, const ProgressCallbackInfo& progress,
    SeparateRunRules rules,
    const std::function<std::optional<bool>(const QVariantMap& entry, const QUrl& file,
                                            const QUrl& output)>& convert)
{
    bool result = true;
    for (const SourceFileEntry& entry : sources) {
        if (rules.stopAtFirstFailure && !result)
            break;
        const QUrl file = entry ? entry->value(SourceFileKey::FilePath).toUrl() : QUrl();
        const QUrl output = GetUniqueFileURLForFile(folder, file, QStringLiteral("pdf"), false);
        ReportProgress(progress, ConversionProgressNextInput);
        if (entry) {
            if (const std::optional<bool> done = convert(*entry, file, output))
                result = *done;
        }
        if (rules.pollCancel && IsConversionCancelled(progress))
            return false;
    }
    return result;
}
