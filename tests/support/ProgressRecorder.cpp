#include "tests/support/ProgressRecorder.h"

#include <QCoreApplication>
#include <QThread>

namespace testsupport {

void ProgressRecorder::ChangeProgressStatus(QVariant status)
{
    m_onMainThread = m_onMainThread && QThread::currentThread() == qApp->thread();
    m_statuses << status.toInt();
    if (status.toInt() == 3 && ++m_inputs == m_cancelAfter)
        m_cancelled = true;
}

} // namespace testsupport
