#pragma once

#include "AConfigManagementOperation.h"

#include <KivConstants.h>

#include <InstrumentConfig.h>

// Adds a meter by address and password: shows the add-device dialog, asks the meter for
// its configuration (no login) every 2000 ms until it answers, checks the answer against
// the configuration and the audiogroup limit, and adds the instrument with its audiogroups
// through the apply sequence. 8000 ms from the submit at most.
class AddInstrumentConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    enum State { StateWaiting = 0, StateConnecting = 1, StateAdding = 2 };
    static constexpr int kDeadlineMs = 8000;
    static constexpr int kResendMs = 2000;
    static constexpr int kMaxAudioGroups = KivConstants::kMaxAudiogroupCount;
    static constexpr int kPort = 80;

    AddInstrumentConfigManagementOperation(int type, int id);
    ~AddInstrumentConfigManagementOperation() override;

    // The dialog's OK and Cancel.
    void submit(const QString &address, const QString &password);
    void cancel();

    void onNetworkReply(int networkError, int kind, const QString *text) override;

    int getState() const { return m_state; }
    int getRequestCounter() const { return m_requestCounter; }
    int getReplyStatus() const { return m_replyStatus; }
    QString getAddress() const { return m_address; }
    InstrumentConfig getDeviceConfig() const { return m_deviceConfig; }

    // A dotted IPv4 address (empty parts are dropped) or the loopback name.
    static bool isValidAddress(const QString &address);
    // A valid address in its plain form: four decimal parts without leading zeros. The
    // loopback name stays as typed.
    static QString normalizedAddress(const QString &address);
    bool isOwnRequestId(const QString &reqid) const;
    static bool isValidDeviceConfig(const InstrumentConfig &config);

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;
    // The time-out text, then the address and what it answered.
    QString timeoutMessage() const override;

private:
    void stepWaiting();
    void stepConnecting();
    void stepAdding();
    void sendRequest();
    // The first reason why the device cannot be added, or empty.
    QString checkDeviceConfig() const;
    void hideDialogs();

    int m_requestCounter = 0;
    int m_state = StateWaiting;
    QString m_address;
    QString m_password;
    int m_replyStatus = -1;
    InstrumentConfig m_deviceConfig;
    bool m_submitted = false;
    bool m_cancelled = false;
    qint64 m_lastSendTime = 0;
    // Why a reply's names cannot enter the configuration, or empty.
    QString m_nameProblem;
    // The network error of the last reply (0: none, or a reply came).
    int m_networkError = 0;
    // A reply came, though not a usable one.
    bool m_answered = false;
};
