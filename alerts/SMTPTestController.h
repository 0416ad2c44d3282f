#pragma once

#include "SMTPController.h"
#include "SyncSMTPRequestQueue.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QString>

#include <vector>

// Sends the settings dialog's test e-mail from a queue of its own, with short time-outs so
// the user learns the outcome soon. A test ends in one alert box that says to how many
// contacts the mail went and why it did not go to the others.
class SMTPTestController : public SMTPController, public SyncSMTPRequestQueue
{
    Q_OBJECT
public:
    static constexpr qint64 kOverallTimeoutMs = 30000;
    static constexpr qint64 kRetryIntervalMs = 10000;

    // One request of a test: the recipient as "Name <address>" and why the mail did not go
    // (empty when it went).
    struct Outcome
    {
        QString recipient;
        QString reason;
    };

    SMTPTestController();
    ~SMTPTestController() override;

    // Refused (-1) while an earlier test e-mail still waits or is being sent.
    void queueRequests(std::vector<SMTPRequest> requests, int &result);
    // True from the queueing until the outcome of the test has been told.
    bool hasRequests() const override;

    // Outcomes in the order of the contacts.
    static QString outcomeText(const std::vector<Outcome> &outcomes);

protected:
    void takeNextRequest() override;
    void taskFinished(const SMTPTask &task) override;

private:
    mutable QMutex m_testMutex;
    // A request of the test was taken and its outcome is not told yet.
    bool m_sending = false;
    // The whole test shares one overall time-out, counted from its first attempt.
    QElapsedTimer m_testClock;
    // In the order sent: the queue hands out the newest request first.
    std::vector<Outcome> m_outcomes;
};
