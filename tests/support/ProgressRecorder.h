#pragma once
// A progress target for engine jobs: records every report and can cancel the
// job after a given number of "next input" reports.
#include <QList>
#include <QObject>
#include <QVariant>

#include <atomic>

namespace testsupport {

class ProgressRecorder : public QObject {
    Q_OBJECT
public:
    // Cancels once this many status-3 reports have arrived; 0 never.
    explicit ProgressRecorder(int cancelAfterInputs = 0) : m_cancelAfter(cancelAfterInputs) {}

    Q_INVOKABLE void ChangeProgressStatus(QVariant status);
    Q_INVOKABLE bool isConversionCancelled() const { return m_cancelled.load(); }

    void cancel() { m_cancelled = true; }
    QList<int> statuses() const { return m_statuses; }
    bool reportsOnMainThread() const { return m_onMainThread; }

private:
    QList<int> m_statuses;
    int m_cancelAfter = 0;
    int m_inputs = 0;
    bool m_onMainThread = true;
    std::atomic<bool> m_cancelled{false};
};

} // namespace testsupport
