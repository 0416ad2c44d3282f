#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>

#include <functional>

class QThread;
class SmtpListener;

// A stand-in for a mail server on loopback: the server side of SMTP (EHLO/HELO, STARTTLS,
// AUTH PLAIN and LOGIN, MAIL, RCPT, DATA, RSET, NOOP, QUIT), in plain TCP or with TLS from
// the first byte. It records every session's dialogue and every message, and can be
// scripted to answer any step with another reply, to close the connection there, or to
// fall silent.
//
// The server runs in a thread of its own, so a client may wait on it with blocking calls
// from any other thread. The public interface is thread-safe.
class SmtpSimulator : public QObject
{
    Q_OBJECT
public:
    // The places in a session where the server answers.
    enum Step {
        Greeting,
        Ehlo, // also HELO
        StartTls,
        Auth, // every answer inside an AUTH exchange
        MailFrom,
        RcptTo,
        Data,
        EndOfData, // the answer to the "." that ends the message
        Quit
    };
    Q_ENUM(Step)

    enum Security {
        Plain,
        Tls // TLS from the first byte
    };
    Q_ENUM(Security)

    // What the server does at a scripted step instead of its own answer.
    struct Action
    {
        enum Kind {
            Answer,      // a reply line: code and text
            RawAnswer,   // these bytes as they are
            Close,       // close the connection without an answer
            NoAnswer,    // read on, never answer again
            StallReading // answer as usual, then stop reading from the connection
        };
        Kind kind = Answer;
        int code = 0;
        QString text;
        QByteArray raw;

        static Action answer(int code, const QString &text = QString());
        static Action rawAnswer(const QByteArray &bytes);
        static Action close();
        static Action noAnswer();
        static Action stallReading();
    };

    struct Session
    {
        int index = -1;  // place in sessions()
        int serial = -1; // unique for the simulator's life
        QString peer;
        bool tls = false;           // encrypted at the end (from the start or by STARTTLS)
        QList<QByteArray> commands; // client lines without line end; message text excluded
        QByteArray transcript;      // "C: " and "S: " lines as they passed
        QString authMethod;
        QString authUser;
        QString authPassword;
        bool authenticated = false;
        bool ended = false;
        bool closedByServer = false;
    };

    struct Message
    {
        int session = -1; // serial of the session
        QString mailFrom;
        QStringList recipients;
        QByteArray raw;  // the bytes between the 354 and the final ".", as sent
        QByteArray data; // the message: the same with the leading dots of RFC 5321 4.5.2 removed
        bool accepted = false;
    };

    explicit SmtpSimulator(QObject *parent = nullptr);
    ~SmtpSimulator() override;

    // Port 0 picks a free port. Tls needs a certificate first.
    bool listen(Security security = Plain, const QHostAddress &address = QHostAddress::LocalHost,
                quint16 port = 0);
    // Stops listening and drops every open connection.
    void close();
    bool isListening() const;
    quint16 port() const;
    Security security() const;
    QString errorString() const;

    // The server's certificate and key, for Tls and STARTTLS.
    void setCertificate(const QSslCertificate &certificate, const QSslKey &key);
    // Offers STARTTLS in the EHLO reply (needs a certificate).
    void setOfferStartTls(bool offer);
    // With credentials set, AUTH accepts only these and MAIL needs a successful AUTH.
    void setCredentials(const QString &user, const QString &password);
    // The EHLO reply lines after the first ("8BITMIME", "AUTH PLAIN LOGIN", ...).
    void setExtensions(const QStringList &extensions);

    // The action replaces the answer of the next `count` times `step` comes, after `skip`
    // further ones (count < 0: until cleared).
    void script(Step step, const Action &action, int count = 1, int skip = 0);
    void clearScript();

    QList<Session> sessions() const;
    Session lastSession() const;
    QList<Message> messages() const;
    Message lastMessage() const;
    int sessionCount() const;
    int messageCount() const;
    void clearRecords();

signals:
    void messageReceived(int index);
    void sessionEnded(int index);

private:
    friend class SmtpSession;
    friend class SmtpListener;

    struct Scripted
    {
        Step step;
        Action action;
        int count;
        int skip;
    };

    void runInServerThread(const std::function<void()> &work);
    // Used by the server's thread.
    bool takeAction(Step step, Action &action);
    // Returns the new session's serial.
    int newSession(const QString &peer, bool tls);
    void updateSession(int serial, const std::function<void(Session &)> &change);
    int addMessage(const Message &message);
    bool hasCertificate() const;
    QSslCertificate certificate() const;
    QSslKey key() const;
    bool offersStartTls() const;
    bool credentialsSet() const;
    bool credentialsMatch(const QString &user, const QString &password) const;
    QStringList extensions() const;

    mutable QMutex m_lock;
    QThread *m_thread;
    SmtpListener *m_listener;
    Security m_security = Plain;
    quint16 m_port = 0;
    bool m_listening = false;
    QString m_error;
    QSslCertificate m_certificate;
    QSslKey m_key;
    bool m_offerStartTls = false;
    QString m_user;
    QString m_password;
    QStringList m_extensions;
    QList<Scripted> m_script;
    QList<Session> m_sessions;
    int m_lastSerial = 0;
    QList<Message> m_messages;
};
