#pragma once

#include "MeterSignal.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QTcpServer;
class QTcpSocket;
class MeterConnection;

// A stand-in for a network loudness meter: a minimal HTTP/1.1 server (Content-Length
// bodies, keep-alive or close) answering POST "/login", "/getConfiguration" and "/getData"
// with the meter's XML replies.
//
// Status codes it answers:
//   0 success; 2 the request's confid is not the current configuration id (GETDATA);
//   3 the request body is not a readable request; 6 wrong password (LOGIN, GETCONFIG);
//   7 another client holds the meter (LOGIN: the reply's session names the holder, which a
//     LOGIN with hijack "true" and that hijackid takes over; GETDATA: the caller's session
//     was taken over); 8 unknown or expired session (GETDATA); anything else on demand.
// A client that logs in again from the address that holds the session gets a new session
// at once; only a holder set with occupyByOtherClient() demands a hijack.
//
// The public interface is thread-safe: the simulator may run in a thread of its own (move
// it there before listen()); listen(), close() and setOffline() then block until its
// thread has done them.
class MeterSimulator : public QObject
{
    Q_OBJECT
public:
    enum StatusCode {
        StatusOk = 0,
        StatusConfigChanged = 2,
        StatusBadRequest = 3,
        StatusWrongPassword = 6,
        StatusSessionHeld = 7,
        StatusSessionUnknown = 8,
        StatusSessionReset = 9
    };

    enum Fault {
        FaultDelay,             // answer after delayMs
        FaultNoAnswer,          // read the request, never answer
        FaultHttp500,           // "500 Internal Server Error"
        FaultConnectionReset,   // reset the connection instead of answering
        FaultMalformedXml,      // a reply whose last end tag does not match
        FaultOwnDeclaration,    // the reply starts with its own XML declaration
        FaultByteOrderMark,     // a UTF-8 byte-order mark and a declaration in front
        FaultUnknownAudioGroup, // an extra sample list for an audiogroup not configured
        FaultNanValues,         // "nan" and "inf" in place of sample values
        FaultFutureSample,      // one extra sample, delayMs seconds ahead, for the last
                                // audiogroup when the reply lists it
        FaultMissingAudioGroup  // the reply leaves out the last audiogroup's list
    };
    Q_ENUM(Fault)

    // One request as received, with what the simulator read from its body.
    struct Request
    {
        QString method;
        QString path;
        QByteArray contentType;
        QByteArray body;
        QString peer;
        qint64 receivedAtMs = 0;
        bool wellFormed = false;
        QString reqid;
        QString cmd;
        QString password;
        QString session;
        QString confid;
        bool hijack = false;
        QString hijackId;
        bool hasHijackId = false;
        QMap<QString, QString> lastTimestamps;
        int answeredCode = -1; // status code sent, -1 when no XML reply went out
    };

    static const QString kUnknownAudioGroupName;

    explicit MeterSimulator(QObject *parent = nullptr);
    ~MeterSimulator() override;

    // Server. Port 0 picks a free port.
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    void close();
    bool isListening() const;
    quint16 port() const;
    QHostAddress address() const;
    // The host text the system configures for this meter ("http://127.0.0.1").
    QString hostUrl() const;
    QString errorString() const;
    // Offline: connections are refused and open ones dropped, as when the meter is cut off.
    void setOffline(bool offline);
    bool isOffline() const;
    void dropOutFor(int ms);

    // Identity and configuration. The configuration id is a digest of what the
    // configuration reply carries, so a meter restarted with other audiogroups (or another
    // name) reports a new id, and one restarted unchanged keeps its id.
    void setInstrumentName(const QString &name);
    QString instrumentName() const;
    void setIdentity(const QString &manufacturer, const QString &modelNumber,
                     const QString &serialNumber, const QString &hardwareId = QString(),
                     const QString &softwareVersion = QString(),
                     const QString &presetName = QString(),
                     const QString &timeReference = QString());
    void setPassword(const QString &password);
    QString password() const;
    void setAudioGroups(const QList<MeterAudioGroup> &groups);
    void setAudioGroupNames(const QStringList &names);
    QList<MeterAudioGroup> audioGroups() const;
    MeterAudioGroup audioGroup(const QString &name) const;
    QString configurationId() const;
    void setConfigurationId(const QString &id);
    // A new configuration id for the same configuration; returns it.
    QString changeConfigurationId();

    // Samples: those after the requested LastTmStamp, at most historyMs old, up to now().
    void setHistoryMs(qint64 ms);
    qint64 historyMs() const;
    // 0: no cap. With a cap the oldest samples go first; numAvail still counts all.
    void setMaxSamplesPerReply(int count);
    void setClock(std::function<qint64()> clock);
    qint64 now() const;
    // From now on the meter stamps its samples offsetMs ahead of the clock (behind when
    // negative), as a meter whose clock was set. A sample keeps the stamp it was measured
    // with: after a step back the newer samples bear older stamps, and a request gets only
    // those stamped after its LastTmStamp, while numAvail counts every sample measured
    // after the one stamped LastTmStamp.
    void setClockOffset(qint64 offsetMs);
    // Raises the momentary loudness of every audiogroup by lu in [fromMs, toMs) (meter
    // time), as a loud passage would.
    void boostMomentary(qint64 fromMs, qint64 toMs, double lu);

    // Sessions.
    QString currentSession() const;
    // Another client (elsewhere on the network) takes the meter; returns its session.
    QString occupyByOtherClient();
    void expireSession();

    // Injections: the next `count` replies for `path` ("" = any path; count < 0 = until
    // cleared). A status injection answers that code with an otherwise empty reply.
    void injectStatus(const QString &path, int code, int count = 1);
    void injectFault(Fault fault, int count = 1, const QString &path = QString(),
                     int delayMs = 0);
    void clearInjections();

    // Records.
    QList<Request> requests() const;
    int requestCount(const QString &path = QString()) const;
    Request lastRequest(const QString &path = QString()) const;
    QByteArray lastRequestBody(const QString &path = QString()) const;
    void clearRequests();

    // The reply body for a request (what the server sends with status 200); exposed so that
    // the reply texts can be checked without a network.
    QByteArray replyBody(Request &request, const QList<Fault> &faults = {});

signals:
    void requestReceived(const QString &path);

private:
    friend class MeterConnection;
    struct Injection
    {
        bool isFault = false;
        Fault fault = FaultDelay;
        int code = 0;
        int remaining = 1;
        QString path;
        int delayMs = 0;
    };

    void onNewConnection();
    void handle(MeterConnection *connection, const QByteArray &method, const QString &path,
                const QByteArray &contentType, const QByteArray &body);
    bool doListen(const QHostAddress &address, quint16 port);
    void doClose();
    void doSetOffline(bool offline);
    void runInOwnThread(const std::function<void()> &work);
    static void parseRequest(Request &request);
    QByteArray buildReply(Request &request, const QList<Fault> &faults, int injectedCode);
    // Under m_lock, once the clock has stepped: the samples for a request from lastStamp,
    // and in available the number measured after the one stamped lastStamp.
    QVector<MeterSample> steppedSamples(const MeterAudioGroup &g, qint64 lastStamp,
                                        qint64 windowStart, qint64 nowMs,
                                        qint64 &available) const;
    // Under m_lock.
    void refreshConfigurationId();

    mutable QMutex m_lock;
    QTcpServer *m_server = nullptr;
    QList<QPointer<MeterConnection>> m_connections;
    QHostAddress m_address = QHostAddress::LocalHost;
    quint16 m_port = 0;
    bool m_listenWanted = false;
    bool m_offline = false;
    QString m_error;

    QString m_name = QStringLiteral("SimMeter");
    QString m_manufacturer = QStringLiteral("Loopback Instruments");
    QString m_model = QStringLiteral("LM-100");
    QString m_serial = QStringLiteral("SN-000001");
    QString m_hardwareId = QStringLiteral("HW-1");
    QString m_softwareVersion = QStringLiteral("1.0.0");
    QString m_presetName = QStringLiteral("Default");
    QString m_timeReference = QStringLiteral("UTC");
    QString m_password;
    QList<MeterAudioGroup> m_groups;
    int m_configGeneration = 0;
    QString m_confid;

    qint64 m_historyMs = 3600 * 1000;
    int m_maxSamples = 0;
    std::function<qint64()> m_clock;
    QVector<MomentaryBoost> m_boosts;
    // Seconds ahead of now of the extra sample of FaultFutureSample.
    qint64 m_futureAheadSeconds = 0;
    // The clock's steps: from fromMs (clock time) on, samples are stamped offsetMs ahead.
    struct ClockStep
    {
        qint64 fromMs;
        qint64 offsetMs;
    };
    QVector<ClockStep> m_clockSteps;

    QString m_session;
    QString m_sessionOwner; // peer address; empty: another client
    quint32 m_sessionCounter = 0;

    QList<Injection> m_injections;
    QList<Request> m_requests;
};
