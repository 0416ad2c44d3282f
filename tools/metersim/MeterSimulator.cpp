#include "MeterSimulator.h"

#include <QDateTime>
#include <QMetaObject>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

const QString MeterSimulator::kUnknownAudioGroupName = QStringLiteral("NotConfigured");

namespace {

const QString kLoginPath = QStringLiteral("/login");
const QString kConfigPath = QStringLiteral("/getConfiguration");
const QString kDataPath = QStringLiteral("/getData");

constexpr int kMaxHeaderBytes = 64 * 1024;
constexpr int kMaxBodyBytes = 8 * 1024 * 1024;
constexpr int kMaxKeptRequests = 10000;

QString statusText(int code)
{
    switch (code) {
    case MeterSimulator::StatusOk: return QStringLiteral("OK");
    case MeterSimulator::StatusConfigChanged: return QStringLiteral("Configuration changed");
    case MeterSimulator::StatusBadRequest: return QStringLiteral("Bad request");
    case MeterSimulator::StatusWrongPassword: return QStringLiteral("Wrong password");
    case MeterSimulator::StatusSessionHeld: return QStringLiteral("Session held by another client");
    case MeterSimulator::StatusSessionUnknown: return QStringLiteral("Unknown session");
    case MeterSimulator::StatusSessionReset: return QStringLiteral("Session reset");
    default: return QStringLiteral("Error");
    }
}

QString number(double v) { return QString::number(v, 'f', 2); }

} // namespace

// One client connection: reads HTTP/1.1 requests one after the other and writes the
// answers in order.
class MeterConnection : public QObject
{
public:
    MeterConnection(QTcpSocket *socket, MeterSimulator *simulator)
        : QObject(simulator), m_socket(socket), m_simulator(simulator)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, &MeterConnection::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    }

    QString peer() const { return m_socket->peerAddress().toString(); }

    void respond(int status, const QByteArray &reason, const QByteArray &body)
    {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
        head += "Content-Type: text/xml; charset=utf-8\r\n";
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        head += m_keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
        head += "\r\n";
        m_socket->write(head + body);
        m_busy = false;
        if (!m_keepAlive) {
            m_socket->disconnectFromHost();
            return;
        }
        if (!m_buffer.isEmpty())
            QTimer::singleShot(0, this, &MeterConnection::onReadyRead);
    }

    // The request stays unanswered; the connection ignores everything after it.
    void stall() { m_stalled = true; }

    void reset()
    {
#ifdef Q_OS_UNIX
        // A zero linger time makes the close send RST instead of FIN.
        struct linger lin = {1, 0};
        ::setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &lin, sizeof lin);
#endif
        m_socket->abort();
        deleteLater();
    }

    void drop()
    {
        m_socket->abort();
        deleteLater();
    }

private:
    void onReadyRead()
    {
        m_buffer += m_socket->readAll();
        while (!m_busy && !m_stalled && m_socket->state() == QAbstractSocket::ConnectedState) {
            if (!takeRequest())
                break;
        }
    }

    void fail(int status, const QByteArray &reason)
    {
        m_keepAlive = false;
        m_buffer.clear();
        respond(status, reason, QByteArray());
    }

    // Handles one complete request from the buffer; false when more bytes are needed.
    bool takeRequest()
    {
        const int headerEnd = m_buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            if (m_buffer.size() > kMaxHeaderBytes)
                fail(431, "Request Header Fields Too Large");
            return false;
        }
        const QList<QByteArray> lines = m_buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1.")) {
            fail(400, "Bad Request");
            return false;
        }
        qint64 contentLength = -1;
        QByteArray connection;
        QByteArray contentType;
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines.at(i).trimmed();
            const int colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "content-length") {
                bool ok = false;
                contentLength = value.toLongLong(&ok);
                if (!ok || contentLength < 0) {
                    fail(400, "Bad Request");
                    return false;
                }
            } else if (name == "connection") {
                connection = value.toLower();
            } else if (name == "content-type") {
                contentType = value;
            } else if (name == "transfer-encoding") {
                fail(501, "Not Implemented");
                return false;
            }
        }
        const QByteArray method = requestLine.at(0);
        if (contentLength < 0)
            contentLength = 0;
        if (contentLength > kMaxBodyBytes) {
            fail(413, "Payload Too Large");
            return false;
        }
        const int bodyStart = headerEnd + 4;
        if (m_buffer.size() - bodyStart < contentLength)
            return false;
        const QByteArray body = m_buffer.mid(bodyStart, int(contentLength));
        m_buffer.remove(0, bodyStart + int(contentLength));
        if (requestLine.at(2) == "HTTP/1.0")
            m_keepAlive = connection == "keep-alive";
        else
            m_keepAlive = connection != "close";
        QByteArray target = requestLine.at(1);
        const int query = target.indexOf('?');
        if (query >= 0)
            target.truncate(query);
        m_busy = true;
        m_simulator->handle(this, method, QString::fromUtf8(target), contentType, body);
        return true;
    }

    QTcpSocket *m_socket;
    MeterSimulator *m_simulator;
    QByteArray m_buffer;
    bool m_keepAlive = true;
    bool m_busy = false;
    bool m_stalled = false;
};

MeterSimulator::MeterSimulator(QObject *parent) : QObject(parent)
{
    m_groups << MeterAudioGroup(QStringLiteral("Program 1"))
             << MeterAudioGroup(QStringLiteral("Program 2"));
    refreshConfigurationId();
    m_sessionCounter = QRandomGenerator::global()->bounded(1000u, 9000u);
}

MeterSimulator::~MeterSimulator() = default;

void MeterSimulator::runInOwnThread(const std::function<void()> &work)
{
    if (QThread::currentThread() == thread())
        work();
    else
        QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
}

bool MeterSimulator::listen(const QHostAddress &address, quint16 port)
{
    bool ok = false;
    runInOwnThread([&] { ok = doListen(address, port); });
    return ok;
}

bool MeterSimulator::doListen(const QHostAddress &address, quint16 port)
{
    if (!m_server) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, &MeterSimulator::onNewConnection);
    }
    m_server->close();
    const bool ok = m_server->listen(address, port);
    QMutexLocker lock(&m_lock);
    m_error = ok ? QString() : m_server->errorString();
    if (ok) {
        m_address = address;
        m_port = m_server->serverPort();
        m_listenWanted = true;
        m_offline = false;
    }
    return ok;
}

void MeterSimulator::close()
{
    runInOwnThread([this] { doClose(); });
}

void MeterSimulator::doClose()
{
    {
        QMutexLocker lock(&m_lock);
        m_listenWanted = false;
    }
    if (m_server)
        m_server->close();
    for (const QPointer<MeterConnection> &c : qAsConst(m_connections)) {
        if (c)
            c->drop();
    }
    m_connections.clear();
}

bool MeterSimulator::isListening() const
{
    QMutexLocker lock(&m_lock);
    return m_listenWanted && !m_offline;
}

quint16 MeterSimulator::port() const
{
    QMutexLocker lock(&m_lock);
    return m_port;
}

QHostAddress MeterSimulator::address() const
{
    QMutexLocker lock(&m_lock);
    return m_address;
}

QString MeterSimulator::hostUrl() const
{
    QMutexLocker lock(&m_lock);
    QHostAddress a = m_address;
    if (a == QHostAddress::Any || a == QHostAddress::AnyIPv4)
        a = QHostAddress::LocalHost;
    else if (a == QHostAddress::AnyIPv6)
        a = QHostAddress::LocalHostIPv6;
    if (a.protocol() == QAbstractSocket::IPv6Protocol)
        return QStringLiteral("http://[%1]").arg(a.toString());
    return QStringLiteral("http://%1").arg(a.toString());
}

QString MeterSimulator::errorString() const
{
    QMutexLocker lock(&m_lock);
    return m_error;
}

void MeterSimulator::setOffline(bool offline)
{
    runInOwnThread([this, offline] { doSetOffline(offline); });
}

void MeterSimulator::doSetOffline(bool offline)
{
    QHostAddress address;
    quint16 port = 0;
    {
        QMutexLocker lock(&m_lock);
        m_offline = offline;
        if (!m_listenWanted || !m_server)
            return;
        address = m_address;
        port = m_port;
    }
    if (offline) {
        m_server->close();
        for (const QPointer<MeterConnection> &c : qAsConst(m_connections)) {
            if (c)
                c->drop();
        }
        m_connections.clear();
    } else if (!m_server->isListening() && !m_server->listen(address, port)) {
        QMutexLocker lock(&m_lock);
        m_error = m_server->errorString();
    }
}

bool MeterSimulator::isOffline() const
{
    QMutexLocker lock(&m_lock);
    return m_offline;
}

void MeterSimulator::dropOutFor(int ms)
{
    runInOwnThread([this, ms] {
        doSetOffline(true);
        QTimer::singleShot(ms, this, [this] { doSetOffline(false); });
    });
}

void MeterSimulator::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (isOffline()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_connections.removeAll(QPointer<MeterConnection>());
        m_connections.append(new MeterConnection(socket, this));
    }
}

void MeterSimulator::setInstrumentName(const QString &name)
{
    QMutexLocker lock(&m_lock);
    m_name = name;
    refreshConfigurationId();
}

QString MeterSimulator::instrumentName() const
{
    QMutexLocker lock(&m_lock);
    return m_name;
}

void MeterSimulator::setIdentity(const QString &manufacturer, const QString &modelNumber,
                                 const QString &serialNumber, const QString &hardwareId,
                                 const QString &softwareVersion, const QString &presetName,
                                 const QString &timeReference)
{
    QMutexLocker lock(&m_lock);
    m_manufacturer = manufacturer;
    m_model = modelNumber;
    m_serial = serialNumber;
    m_hardwareId = hardwareId;
    m_softwareVersion = softwareVersion;
    m_presetName = presetName;
    m_timeReference = timeReference;
    refreshConfigurationId();
}

void MeterSimulator::setPassword(const QString &password)
{
    QMutexLocker lock(&m_lock);
    m_password = password;
}

QString MeterSimulator::password() const
{
    QMutexLocker lock(&m_lock);
    return m_password;
}

void MeterSimulator::setAudioGroups(const QList<MeterAudioGroup> &groups)
{
    QMutexLocker lock(&m_lock);
    m_groups = groups;
    refreshConfigurationId();
}

void MeterSimulator::setAudioGroupNames(const QStringList &names)
{
    QList<MeterAudioGroup> groups;
    for (const QString &name : names)
        groups << MeterAudioGroup(name);
    setAudioGroups(groups);
}

QList<MeterAudioGroup> MeterSimulator::audioGroups() const
{
    QMutexLocker lock(&m_lock);
    return m_groups;
}

MeterAudioGroup MeterSimulator::audioGroup(const QString &name) const
{
    QMutexLocker lock(&m_lock);
    for (const MeterAudioGroup &g : m_groups) {
        if (g.name == name)
            return g;
    }
    return MeterAudioGroup();
}

QString MeterSimulator::configurationId() const
{
    QMutexLocker lock(&m_lock);
    return m_confid;
}

void MeterSimulator::setConfigurationId(const QString &id)
{
    QMutexLocker lock(&m_lock);
    m_confid = id;
}

QString MeterSimulator::changeConfigurationId()
{
    QMutexLocker lock(&m_lock);
    ++m_configGeneration;
    refreshConfigurationId();
    return m_confid;
}

void MeterSimulator::refreshConfigurationId()
{
    QStringList parts{m_name,       m_manufacturer,    m_model,      m_serial,
                      m_hardwareId, m_softwareVersion, m_presetName, m_timeReference};
    for (const MeterAudioGroup &g : qAsConst(m_groups)) {
        parts << g.name << g.audioMode << g.domain << g.loudnessMode << g.loudnessUnit;
        for (double v : {g.loudnessMinDb, g.loudnessMaxDb, g.targetLoudness, g.refTPMax,
                         g.thresholdMinTP, g.thresholdMaxTP, g.thresholdMinMomentary,
                         g.thresholdMaxMomentary, g.thresholdMinShort, g.thresholdMaxShort,
                         g.thresholdMinIntegrated, g.thresholdMinIntegratedSecondary,
                         g.thresholdMaxIntegrated, g.thresholdMaxIntegratedSecondary})
            parts << number(v);
    }
    // FNV-1a: the same on every run, unlike qHash.
    quint64 h = 1469598103934665603ull;
    for (char c : parts.join(QChar(0x1F)).toUtf8()) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    m_confid = QStringLiteral("cfg-%1-%2").arg(h, 16, 16, QLatin1Char('0')).arg(m_configGeneration);
}

void MeterSimulator::setHistoryMs(qint64 ms)
{
    QMutexLocker lock(&m_lock);
    m_historyMs = std::max<qint64>(ms, 0);
}

qint64 MeterSimulator::historyMs() const
{
    QMutexLocker lock(&m_lock);
    return m_historyMs;
}

void MeterSimulator::setMaxSamplesPerReply(int count)
{
    QMutexLocker lock(&m_lock);
    m_maxSamples = std::max(count, 0);
}

void MeterSimulator::setClock(std::function<qint64()> clock)
{
    QMutexLocker lock(&m_lock);
    m_clock = std::move(clock);
}

qint64 MeterSimulator::now() const
{
    QMutexLocker lock(&m_lock);
    return m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
}

void MeterSimulator::setClockOffset(qint64 offsetMs)
{
    QMutexLocker lock(&m_lock);
    const qint64 nowMs = m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
    // On the sample grid, so that stamps stay multiples of the sample interval.
    offsetMs = offsetMs / MeterSignal::kSampleIntervalMs * MeterSignal::kSampleIntervalMs;
    m_clockSteps.append(ClockStep{nowMs, offsetMs});
}

void MeterSimulator::boostMomentary(qint64 fromMs, qint64 toMs, double lu)
{
    QMutexLocker lock(&m_lock);
    m_boosts.append(MomentaryBoost{fromMs, toMs, lu});
}

QString MeterSimulator::currentSession() const
{
    QMutexLocker lock(&m_lock);
    return m_session;
}

QString MeterSimulator::occupyByOtherClient()
{
    QMutexLocker lock(&m_lock);
    m_session = QStringLiteral("other-%1").arg(++m_sessionCounter);
    m_sessionOwner.clear();
    return m_session;
}

void MeterSimulator::expireSession()
{
    QMutexLocker lock(&m_lock);
    m_session.clear();
    m_sessionOwner.clear();
}

void MeterSimulator::injectStatus(const QString &path, int code, int count)
{
    Injection i;
    i.code = code;
    i.remaining = count;
    i.path = path;
    QMutexLocker lock(&m_lock);
    if (count != 0)
        m_injections.append(i);
}

void MeterSimulator::injectFault(Fault fault, int count, const QString &path, int delayMs)
{
    Injection i;
    i.isFault = true;
    i.fault = fault;
    i.remaining = count;
    i.path = path;
    i.delayMs = delayMs;
    QMutexLocker lock(&m_lock);
    if (count != 0)
        m_injections.append(i);
}

void MeterSimulator::clearInjections()
{
    QMutexLocker lock(&m_lock);
    m_injections.clear();
}

QList<MeterSimulator::Request> MeterSimulator::requests() const
{
    QMutexLocker lock(&m_lock);
    return m_requests;
}

int MeterSimulator::requestCount(const QString &path) const
{
    QMutexLocker lock(&m_lock);
    if (path.isEmpty())
        return m_requests.size();
    return int(std::count_if(m_requests.cbegin(), m_requests.cend(),
                             [&](const Request &r) { return r.path == path; }));
}

MeterSimulator::Request MeterSimulator::lastRequest(const QString &path) const
{
    QMutexLocker lock(&m_lock);
    for (auto it = m_requests.crbegin(); it != m_requests.crend(); ++it) {
        if (path.isEmpty() || it->path == path)
            return *it;
    }
    return Request();
}

QByteArray MeterSimulator::lastRequestBody(const QString &path) const
{
    return lastRequest(path).body;
}

void MeterSimulator::clearRequests()
{
    QMutexLocker lock(&m_lock);
    m_requests.clear();
}

void MeterSimulator::parseRequest(Request &r)
{
    QXmlStreamReader xml(r.body);
    QString agName;
    QString agStamp;
    bool rootSeen = false;
    bool stampsOk = true;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringRef name = xml.name();
        if (!rootSeen) {
            rootSeen = true;
            if (name != QLatin1String("Request"))
                return;
            continue;
        }
        if (name == QLatin1String("AG")) {
            agName.clear();
            agStamp.clear();
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("Name"))
                    agName = xml.readElementText();
                else if (xml.name() == QLatin1String("LastTmStamp"))
                    agStamp = xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
            bool ok = false;
            agStamp.toLongLong(&ok);
            stampsOk = stampsOk && ok;
            r.lastTimestamps.insert(agName, agStamp);
            continue;
        }
        if (name == QLatin1String("reqid"))
            r.reqid = xml.readElementText();
        else if (name == QLatin1String("cmd"))
            r.cmd = xml.readElementText();
        else if (name == QLatin1String("password"))
            r.password = xml.readElementText();
        else if (name == QLatin1String("session"))
            r.session = xml.readElementText();
        else if (name == QLatin1String("confid"))
            r.confid = xml.readElementText();
        else if (name == QLatin1String("hijack"))
            r.hijack = xml.readElementText() == QLatin1String("true");
        else if (name == QLatin1String("hijackid")) {
            r.hijackId = xml.readElementText();
            r.hasHijackId = true;
        }
    }
    r.wellFormed = rootSeen && !xml.hasError() && stampsOk;
}

QByteArray MeterSimulator::replyBody(Request &request, const QList<Fault> &faults)
{
    parseRequest(request);
    return buildReply(request, faults, -1);
}

QVector<MeterSample> MeterSimulator::steppedSamples(const MeterAudioGroup &g, qint64 lastStamp,
                                                    qint64 windowStart, qint64 nowMs,
                                                    qint64 &available) const
{
    constexpr qint64 kInterval = MeterSignal::kSampleIntervalMs;
    // Stretches of the clock (measured from, to, stamp offset) over the samples kept.
    struct Stretch
    {
        qint64 from, to, offset;
    };
    QVector<Stretch> stretches;
    qint64 from = windowStart;
    qint64 offset = 0;
    for (const ClockStep &step : m_clockSteps) {
        if (step.fromMs > from)
            stretches.append({from, std::min(step.fromMs, nowMs), offset});
        from = std::max(from, step.fromMs);
        offset = step.offsetMs;
    }
    if (nowMs > from)
        stretches.append({from, nowMs, offset});
    // The client holds the sample stamped lastStamp: what was measured after it is
    // available. Without such a sample, everything kept is.
    qint64 cursor = windowStart;
    for (int i = stretches.size() - 1; i >= 0; --i) {
        const qint64 measured = lastStamp - stretches[i].offset;
        if (measured % kInterval == 0 && measured > stretches[i].from &&
            measured <= stretches[i].to) {
            cursor = measured;
            break;
        }
    }
    available = 0;
    QVector<MeterSample> out;
    for (const Stretch &s : qAsConst(stretches)) {
        const qint64 after = std::max(s.from, cursor);
        if (after >= s.to)
            continue;
        available += MeterSignal::countBetween(after, s.to);
        // Only samples stamped after the client's newest are sent.
        const qint64 sendAfter = std::max(after, lastStamp - s.offset);
        for (MeterSample sample : MeterSignal::samples(g, sendAfter, s.to, m_boosts)) {
            if (m_maxSamples > 0 && out.size() >= m_maxSamples)
                break;
            sample.timestamp += s.offset;
            sample.timecode = MeterSignal::timecodeOf(sample.timestamp);
            out.append(sample);
        }
    }
    return out;
}

QByteArray MeterSimulator::buildReply(Request &r, const QList<Fault> &faults, int injectedCode)
{
    QMutexLocker lock(&m_lock);
    const qint64 nowMs = m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
    int code = StatusOk;
    if (!r.wellFormed) {
        code = StatusBadRequest;
    } else if (injectedCode >= 0) {
        code = injectedCode;
    } else if (r.path == kLoginPath) {
        if (r.password != m_password) {
            code = StatusWrongPassword;
        } else if (m_session.isEmpty() || m_sessionOwner == r.peer ||
                   (r.hijack && r.hasHijackId && r.hijackId == m_session)) {
            m_session = QStringLiteral("%1-%2").arg(++m_sessionCounter).arg(
                QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            m_sessionOwner = r.peer;
        } else {
            code = StatusSessionHeld;
        }
    } else if (r.path == kConfigPath) {
        if (r.password != m_password)
            code = StatusWrongPassword;
    } else if (r.path == kDataPath) {
        if (m_session.isEmpty() || r.session != m_session)
            code = (!m_session.isEmpty() && m_sessionOwner.isEmpty()) ? StatusSessionHeld
                                                                      : StatusSessionUnknown;
        else if (r.confid != m_confid)
            code = StatusConfigChanged;
    }
    r.answeredCode = code;

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartElement(QStringLiteral("response"));
    xml.writeTextElement(QStringLiteral("version"), QStringLiteral("0.1"));
    xml.writeTextElement(QStringLiteral("reqid"), r.reqid);
    xml.writeStartElement(QStringLiteral("status"));
    xml.writeTextElement(QStringLiteral("code"), QString::number(code));
    xml.writeTextElement(QStringLiteral("text"), statusText(code));
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("confid"), m_confid);

    if (r.path == kLoginPath && (code == StatusOk || code == StatusSessionHeld) &&
        !m_session.isEmpty())
        xml.writeTextElement(QStringLiteral("session"), m_session);

    if (r.path == kConfigPath && code == StatusOk) {
        xml.writeStartElement(QStringLiteral("LoudnessMeasurement"));
        xml.writeTextElement(QStringLiteral("Name"), m_name);
        xml.writeTextElement(QStringLiteral("Manufacturer"), m_manufacturer);
        xml.writeTextElement(QStringLiteral("ModelNumber"), m_model);
        xml.writeTextElement(QStringLiteral("HardwareID"), m_hardwareId);
        xml.writeTextElement(QStringLiteral("SerialNumber"), m_serial);
        xml.writeTextElement(QStringLiteral("SoftwareVersion"), m_softwareVersion);
        xml.writeTextElement(QStringLiteral("PresetName"), m_presetName);
        xml.writeTextElement(QStringLiteral("TimeReference"), m_timeReference);
        for (const MeterAudioGroup &g : qAsConst(m_groups)) {
            xml.writeStartElement(QStringLiteral("DataSource"));
            xml.writeTextElement(QStringLiteral("SourceName"), g.name);
            xml.writeTextElement(QStringLiteral("AudioMode"), g.audioMode);
            xml.writeTextElement(QStringLiteral("Domain"), g.domain);
            xml.writeTextElement(QStringLiteral("LoudnessMode"), g.loudnessMode);
            xml.writeTextElement(QStringLiteral("LoudnessUnit"), g.loudnessUnit);
            xml.writeTextElement(QStringLiteral("LoudnessMinDb"), number(g.loudnessMinDb));
            xml.writeTextElement(QStringLiteral("LoudnessMaxDb"), number(g.loudnessMaxDb));
            xml.writeTextElement(QStringLiteral("TargetLoudness"), number(g.targetLoudness));
            xml.writeTextElement(QStringLiteral("RefTPMax"), number(g.refTPMax));
            xml.writeTextElement(QStringLiteral("ThresholdMinTP"), number(g.thresholdMinTP));
            xml.writeTextElement(QStringLiteral("ThresholdMaxTP"), number(g.thresholdMaxTP));
            xml.writeTextElement(QStringLiteral("ThresholdMinMomentary"),
                                 number(g.thresholdMinMomentary));
            xml.writeTextElement(QStringLiteral("ThresholdMaxMomentary"),
                                 number(g.thresholdMaxMomentary));
            xml.writeTextElement(QStringLiteral("ThresholdMinShort"), number(g.thresholdMinShort));
            xml.writeTextElement(QStringLiteral("ThresholdMaxShort"), number(g.thresholdMaxShort));
            xml.writeTextElement(QStringLiteral("ThresholdMinIntegrated"),
                                 number(g.thresholdMinIntegrated));
            xml.writeTextElement(QStringLiteral("ThresholdMinIntegratedSecondary"),
                                 number(g.thresholdMinIntegratedSecondary));
            xml.writeTextElement(QStringLiteral("ThresholdMaxIntegrated"),
                                 number(g.thresholdMaxIntegrated));
            xml.writeTextElement(QStringLiteral("ThresholdMaxIntegratedSecondary"),
                                 number(g.thresholdMaxIntegratedSecondary));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }

    if (r.path == kDataPath && code == StatusOk) {
        const bool nanValues = faults.contains(FaultNanValues);
        const qint64 windowStart = nowMs - m_historyMs;
        auto writeList = [&](const MeterAudioGroup &g, qint64 after) {
            qint64 available = 0;
            QVector<MeterSample> samples;
            if (m_clockSteps.isEmpty()) {
                after = std::max(after, windowStart);
                available = MeterSignal::countBetween(after, nowMs);
                qint64 until = nowMs;
                if (m_maxSamples > 0 && available > m_maxSamples)
                    until = (after / MeterSignal::kSampleIntervalMs + m_maxSamples) *
                            MeterSignal::kSampleIntervalMs;
                samples = MeterSignal::samples(g, after, until, m_boosts);
            } else {
                samples = steppedSamples(g, after, windowStart, nowMs, available);
            }
            xml.writeStartElement(QStringLiteral("AGDataList"));
            xml.writeTextElement(QStringLiteral("Name"), g.name);
            xml.writeTextElement(QStringLiteral("numAvail"), QString::number(available));
            if (faults.contains(FaultFutureSample) && g.name == m_groups.last().name &&
                !samples.isEmpty()) {
                MeterSample ahead = samples.last();
                ahead.timestamp = nowMs + m_futureAheadSeconds * 1000;
                samples.append(ahead);
            }
            for (const MeterSample &s : qAsConst(samples)) {
                xml.writeStartElement(QStringLiteral("AGData"));
                xml.writeTextElement(QStringLiteral("tmCode"), QString::number(s.timecode));
                xml.writeTextElement(QStringLiteral("tmStamp"), QString::number(s.timestamp));
                xml.writeTextElement(QStringLiteral("pgmid"), QString::number(s.programId));
                xml.writeTextElement(QStringLiteral("TP"),
                                     nanValues ? QStringLiteral("inf") : number(s.TP));
                xml.writeTextElement(QStringLiteral("TPMax"), number(s.TPMax));
                xml.writeTextElement(QStringLiteral("M100ms"), number(s.M100ms));
                xml.writeTextElement(QStringLiteral("M400ms"),
                                     nanValues ? QStringLiteral("nan") : number(s.M400ms));
                xml.writeTextElement(QStringLiteral("MMax"), number(s.MMax));
                xml.writeTextElement(QStringLiteral("S"), number(s.S));
                xml.writeTextElement(QStringLiteral("SMax"), number(s.SMax));
                xml.writeTextElement(QStringLiteral("I"), number(s.I));
                xml.writeTextElement(QStringLiteral("LRA"), number(s.LRA));
                xml.writeTextElement(QStringLiteral("SPL"), number(s.SPL));
                xml.writeTextElement(QStringLiteral("Flags"), QString::number(s.flags));
                xml.writeTextElement(QStringLiteral("EventList"), QString::number(s.events));
                xml.writeEndElement();
            }
            xml.writeEndElement();
        };
        const bool leaveOutLast = faults.contains(FaultMissingAudioGroup);
        for (auto it = r.lastTimestamps.cbegin(); it != r.lastTimestamps.cend(); ++it) {
            for (const MeterAudioGroup &g : qAsConst(m_groups)) {
                if (g.name == it.key() && !(leaveOutLast && g.name == m_groups.last().name))
                    writeList(g, it.value().toLongLong());
            }
        }
        if (faults.contains(FaultUnknownAudioGroup))
            writeList(MeterAudioGroup(kUnknownAudioGroupName), nowMs - 1000);
    }
    xml.writeEndElement();
    lock.unlock();

    if (faults.contains(FaultMalformedXml)) {
        const int end = out.lastIndexOf("</response>");
        out.replace(end, 11, "</status>");
    }
    if (faults.contains(FaultByteOrderMark))
        out.prepend("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    else if (faults.contains(FaultOwnDeclaration))
        out.prepend("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    return out;
}

void MeterSimulator::handle(MeterConnection *connection, const QByteArray &method,
                            const QString &path, const QByteArray &contentType,
                            const QByteArray &body)
{
    Request r;
    r.method = QString::fromLatin1(method);
    r.path = path;
    r.contentType = contentType;
    r.body = body;
    r.peer = connection->peer();
    r.receivedAtMs = QDateTime::currentMSecsSinceEpoch();
    parseRequest(r);

    QList<Fault> faults;
    int injectedCode = -1;
    int delayMs = 0;
    {
        QMutexLocker lock(&m_lock);
        for (auto it = m_injections.begin(); it != m_injections.end();) {
            const bool matches = it->path.isEmpty() || it->path == path;
            const bool takes = matches && (it->isFault || injectedCode < 0);
            if (takes) {
                if (it->isFault) {
                    faults << it->fault;
                    if (it->fault == FaultDelay)
                        delayMs = std::max(delayMs, it->delayMs);
                    if (it->fault == FaultFutureSample)
                        m_futureAheadSeconds = it->delayMs;
                } else {
                    injectedCode = it->code;
                }
                if (it->remaining > 0 && --it->remaining == 0) {
                    it = m_injections.erase(it);
                    continue;
                }
            }
            ++it;
        }
    }

    auto record = [this, &r] {
        QMutexLocker lock(&m_lock);
        m_requests.append(r);
        if (m_requests.size() > kMaxKeptRequests)
            m_requests.removeFirst();
    };

    const bool known = path == kLoginPath || path == kConfigPath || path == kDataPath;
    int status = 200;
    QByteArray reason = "OK";
    QByteArray reply;
    if (method != "POST") {
        status = 405;
        reason = "Method Not Allowed";
    } else if (!known) {
        status = 404;
        reason = "Not Found";
    } else if (faults.contains(FaultNoAnswer)) {
        record();
        connection->stall();
        emit requestReceived(path);
        return;
    } else if (faults.contains(FaultConnectionReset)) {
        record();
        connection->reset();
        emit requestReceived(path);
        return;
    } else if (faults.contains(FaultHttp500)) {
        status = 500;
        reason = "Internal Server Error";
    } else {
        reply = buildReply(r, faults, injectedCode);
    }
    record();

    if (delayMs > 0) {
        QPointer<MeterConnection> target(connection);
        QTimer::singleShot(delayMs, this, [target, status, reason, reply] {
            if (target)
                target->respond(status, reason, reply);
        });
    } else {
        connection->respond(status, reason, reply);
    }
    emit requestReceived(path);
}
