#include "SMTPTestController.h"

#include "SMTPTask.h"

#include <ASystem.h>

#include <QMutexLocker>

#include <algorithm>

SMTPTestController::SMTPTestController() : SMTPController(kOverallTimeoutMs, kRetryIntervalMs) {}

// The loop calls this class's takeNextRequest: it must have ended before this part goes.
SMTPTestController::~SMTPTestController()
{
    stop();
    wait();
}

void SMTPTestController::queueRequests(std::vector<SMTPRequest> requests, int &result)
{
    {
        QMutexLocker lock(&m_testMutex);
        if (m_sending) {
            result = -1;
            return;
        }
        SyncSMTPRequestQueue::queueRequests(std::move(requests), result);
        if (result == 0) {
            m_outcomes.clear();
            m_testClock.invalidate();
        }
    }
    wake();
}

bool SMTPTestController::hasRequests() const
{
    QMutexLocker lock(&m_testMutex);
    return m_sending || SyncSMTPRequestQueue::hasRequests();
}

void SMTPTestController::takeNextRequest()
{
    QMutexLocker lock(&m_testMutex);
    int result = -1;
    const SMTPRequest request = takeRequest(result);
    if (result == 0) {
        m_sending = true;
        if (!m_testClock.isValid())
            m_testClock.start();
        // A later contact still gets one attempt when the time is up.
        const qint64 left = std::max<qint64>(0, getOverallTimeout() - m_testClock.elapsed());
        holdTask(request, left);
        return;
    }
    if (!m_sending)
        return;
    // The last request of the test has finished.
    std::vector<Outcome> outcomes(m_outcomes.rbegin(), m_outcomes.rend());
    lock.unlock();
    if (ASystem *system = ASystem::instance())
        system->showAlert(outcomeText(outcomes));
    lock.relock();
    m_sending = false;
}

void SMTPTestController::taskFinished(const SMTPTask &task)
{
    const SMTPRequest &request = task.getRequest();
    Outcome outcome;
    outcome.recipient =
        QStringLiteral("%1 <%2>").arg(request.getRecipientName(), request.getRecipientAddress());
    if (!task.isSucceeded()) {
        outcome.reason = task.getFailureReason();
        if (outcome.reason.isEmpty())
            outcome.reason = QStringLiteral("no answer in time");
    }
    QMutexLocker lock(&m_testMutex);
    m_outcomes.push_back(outcome);
}

QString SMTPTestController::outcomeText(const std::vector<Outcome> &outcomes)
{
    const auto total = static_cast<int>(outcomes.size());
    const auto sent = static_cast<int>(std::count_if(
        outcomes.begin(), outcomes.end(), [](const Outcome &o) { return o.reason.isEmpty(); }));
    QString text;
    if (sent == total)
        text = total == 1 ? QStringLiteral("Test email sent to 1 contact.")
                          : QStringLiteral("Test email sent to %1 contacts.").arg(total);
    else if (sent == 0)
        text = QStringLiteral("Could not send test email.");
    else
        text = QStringLiteral("Test email sent to %1 of %2 contacts.").arg(sent).arg(total);
    for (const Outcome &outcome : outcomes) {
        if (!outcome.reason.isEmpty())
            text += QStringLiteral("\nNot sent to %1: %2.").arg(outcome.recipient, outcome.reason);
    }
    return text;
}
