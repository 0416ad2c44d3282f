#include "SmtpSimulator.h"

#include "SmtpListener.h"

#include <QThread>

SmtpSimulator::Action SmtpSimulator::Action::answer(int code, const QString &text)
{
    Action a;
    a.kind = Answer;
    a.code = code;
    a.text = text;
    return a;
}

SmtpSimulator::Action SmtpSimulator::Action::rawAnswer(const QByteArray &bytes)
{
    Action a;
    a.kind = RawAnswer;
    a.raw = bytes;
    return a;
}

SmtpSimulator::Action SmtpSimulator::Action::close()
{
    Action a;
    a.kind = Close;
    return a;
}

SmtpSimulator::Action SmtpSimulator::Action::noAnswer()
{
    Action a;
    a.kind = NoAnswer;
    return a;
}

SmtpSimulator::Action SmtpSimulator::Action::stallReading()
{
    Action a;
    a.kind = StallReading;
    return a;
}

SmtpSimulator::SmtpSimulator(QObject *parent)
    : QObject(parent), m_thread(new QThread),
      m_listener(new SmtpListener(this)), m_extensions{QStringLiteral("8BITMIME"),
                                                       QStringLiteral("AUTH PLAIN LOGIN"),
                                                       QStringLiteral("SIZE 104857600")}
{
    m_thread->setObjectName(QStringLiteral("smtpsim"));
    m_listener->moveToThread(m_thread);
    m_thread->start();
}

SmtpSimulator::~SmtpSimulator()
{
    // The listener is deleted in its own thread, as the thread finishes.
    runInServerThread([this] {
        m_listener->shutDown();
        m_listener->deleteLater();
    });
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

void SmtpSimulator::runInServerThread(const std::function<void()> &work)
{
    if (QThread::currentThread() == m_thread)
        work();
    else
        QMetaObject::invokeMethod(m_listener, work, Qt::BlockingQueuedConnection);
}

bool SmtpSimulator::listen(Security security, const QHostAddress &address, quint16 port)
{
    bool ok = false;
    QString error;
    if (security == Tls && !hasCertificate()) {
        error = QStringLiteral("no certificate for TLS");
    } else {
        runInServerThread([&] {
            m_listener->shutDown();
            m_listener->setSecurity(security);
            ok = m_listener->listen(address, port);
            if (!ok)
                error = m_listener->errorString();
        });
    }
    QMutexLocker lock(&m_lock);
    m_listening = ok;
    m_error = error;
    if (ok) {
        m_security = security;
        m_port = m_listener->serverPort();
    }
    return ok;
}

void SmtpSimulator::close()
{
    runInServerThread([this] { m_listener->shutDown(); });
    QMutexLocker lock(&m_lock);
    m_listening = false;
}

bool SmtpSimulator::isListening() const
{
    QMutexLocker lock(&m_lock);
    return m_listening;
}

quint16 SmtpSimulator::port() const
{
    QMutexLocker lock(&m_lock);
    return m_port;
}

SmtpSimulator::Security SmtpSimulator::security() const
{
    QMutexLocker lock(&m_lock);
    return m_security;
}

QString SmtpSimulator::errorString() const
{
    QMutexLocker lock(&m_lock);
    return m_error;
}

void SmtpSimulator::setCertificate(const QSslCertificate &certificate, const QSslKey &key)
{
    QMutexLocker lock(&m_lock);
    m_certificate = certificate;
    m_key = key;
}

void SmtpSimulator::setOfferStartTls(bool offer)
{
    QMutexLocker lock(&m_lock);
    m_offerStartTls = offer;
}

void SmtpSimulator::setCredentials(const QString &user, const QString &password)
{
    QMutexLocker lock(&m_lock);
    m_user = user;
    m_password = password;
}

void SmtpSimulator::setExtensions(const QStringList &extensions)
{
    QMutexLocker lock(&m_lock);
    m_extensions = extensions;
}

void SmtpSimulator::script(Step step, const Action &action, int count, int skip)
{
    QMutexLocker lock(&m_lock);
    m_script.append({step, action, count, skip});
}

void SmtpSimulator::clearScript()
{
    QMutexLocker lock(&m_lock);
    m_script.clear();
}

bool SmtpSimulator::takeAction(Step step, Action &action)
{
    QMutexLocker lock(&m_lock);
    bool found = false;
    // Every entry counts the occurrences of its step on its own.
    for (int i = 0; i < m_script.size(); ++i) {
        Scripted &entry = m_script[i];
        if (entry.step != step)
            continue;
        if (entry.skip > 0) {
            --entry.skip;
        } else if (!found) {
            found = true;
            action = entry.action;
            if (entry.count > 0 && --entry.count == 0)
                m_script.removeAt(i--);
        }
    }
    return found;
}

QList<SmtpSimulator::Session> SmtpSimulator::sessions() const
{
    QMutexLocker lock(&m_lock);
    return m_sessions;
}

SmtpSimulator::Session SmtpSimulator::lastSession() const
{
    QMutexLocker lock(&m_lock);
    return m_sessions.isEmpty() ? Session() : m_sessions.last();
}

QList<SmtpSimulator::Message> SmtpSimulator::messages() const
{
    QMutexLocker lock(&m_lock);
    return m_messages;
}

SmtpSimulator::Message SmtpSimulator::lastMessage() const
{
    QMutexLocker lock(&m_lock);
    return m_messages.isEmpty() ? Message() : m_messages.last();
}

int SmtpSimulator::sessionCount() const
{
    QMutexLocker lock(&m_lock);
    return m_sessions.size();
}

int SmtpSimulator::messageCount() const
{
    QMutexLocker lock(&m_lock);
    return m_messages.size();
}

void SmtpSimulator::clearRecords()
{
    QMutexLocker lock(&m_lock);
    m_sessions.clear();
    m_messages.clear();
}

int SmtpSimulator::newSession(const QString &peer, bool tls)
{
    QMutexLocker lock(&m_lock);
    Session s;
    s.index = m_sessions.size();
    s.serial = ++m_lastSerial;
    s.peer = peer;
    s.tls = tls;
    m_sessions.append(s);
    return s.serial;
}

void SmtpSimulator::updateSession(int serial, const std::function<void(Session &)> &change)
{
    QMutexLocker lock(&m_lock);
    // A session whose record was cleared away is not recorded again.
    for (int i = m_sessions.size() - 1; i >= 0; --i) {
        if (m_sessions.at(i).serial == serial) {
            change(m_sessions[i]);
            return;
        }
    }
}

int SmtpSimulator::addMessage(const Message &message)
{
    QMutexLocker lock(&m_lock);
    m_messages.append(message);
    return m_messages.size() - 1;
}

bool SmtpSimulator::hasCertificate() const
{
    QMutexLocker lock(&m_lock);
    return !m_certificate.isNull() && !m_key.isNull();
}

QSslCertificate SmtpSimulator::certificate() const
{
    QMutexLocker lock(&m_lock);
    return m_certificate;
}

QSslKey SmtpSimulator::key() const
{
    QMutexLocker lock(&m_lock);
    return m_key;
}

bool SmtpSimulator::offersStartTls() const
{
    QMutexLocker lock(&m_lock);
    return m_offerStartTls && !m_certificate.isNull() && !m_key.isNull();
}

bool SmtpSimulator::credentialsSet() const
{
    QMutexLocker lock(&m_lock);
    return !m_user.isEmpty() || !m_password.isEmpty();
}

bool SmtpSimulator::credentialsMatch(const QString &user, const QString &password) const
{
    QMutexLocker lock(&m_lock);
    return (m_user.isEmpty() && m_password.isEmpty()) || (user == m_user && password == m_password);
}

QStringList SmtpSimulator::extensions() const
{
    QMutexLocker lock(&m_lock);
    return m_extensions;
}
