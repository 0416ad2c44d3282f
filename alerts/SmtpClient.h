#pragma once

#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class MimeMessage;
class QTcpSocket;

// The client side of SMTP over one plain or TLS socket, with blocking waits on the calling
// thread: connect and greet, authenticate, send one message, quit. Every wait is bounded by
// a time-out; a failure gives a false result, the smtpError signal and a log line saying why.
class SmtpClient : public QObject
{
    Q_OBJECT
public:
    enum ConnectionType { Tcp = 0, Ssl = 1, StartTls = 2 };
    Q_ENUM(ConnectionType)
    enum AuthMethod { AuthPlain = 0, AuthLogin = 1 };
    Q_ENUM(AuthMethod)
    enum SmtpError {
        ConnectTimeout = 0,
        ResponseTimeout = 1,
        SendTimeout = 2,
        AuthenticationFailed = 3,
        ServerError = 4,
        ClientError = 5
    };
    Q_ENUM(SmtpError)

    // Raised inside an operation and turned into its false result there.
    class ResponseTimeoutException
    {
    };
    class SendMessageTimeoutException
    {
    };

    SmtpClient(const QString &host, int port, ConnectionType connectionType,
               QObject *parent = nullptr);
    ~SmtpClient() override;

    QString getHost() const { return m_host; }
    int getPort() const { return m_port; }
    ConnectionType getConnectionType() const { return m_connectionType; }
    // The name sent with EHLO.
    QString getName() const { return m_name; }
    void setUser(const QString &user) { m_user = user; }
    QString getUser() const { return m_user; }
    void setPassword(const QString &password) { m_password = password; }
    QString getPassword() const { return m_password; }
    void setAuthMethod(AuthMethod method) { m_authMethod = method; }
    AuthMethod getAuthMethod() const { return m_authMethod; }
    void setConnectionTimeout(int ms) { m_connectionTimeout = ms; }
    int getConnectionTimeout() const { return m_connectionTimeout; }
    void setResponseTimeout(int ms) { m_responseTimeout = ms; }
    int getResponseTimeout() const { return m_responseTimeout; }
    void setSendMessageTimeout(int ms) { m_sendMessageTimeout = ms; }
    int getSendMessageTimeout() const { return m_sendMessageTimeout; }
    // While the flag is set, no operation starts and a wait in progress ends within
    // kCancelCheckMs with a false result: a worker that is asked to stop does not sit out
    // a long time-out. The flag must outlive the client.
    void setCancelFlag(const std::atomic<bool> *flag) { m_cancel = flag; }
    static constexpr int kCancelCheckMs = 100;
    // The last reply line read (with its line end) and its code.
    QString getResponseText() const { return m_responseText; }
    int getResponseCode() const { return m_responseCode; }
    // Why the last operation failed, in words for the user (the connection refused, the
    // host not found, the login refused, no answer in time, ...); empty when none failed.
    QString getErrorText() const { return m_errorText; }

    bool connectToHost();
    bool login();
    bool login(const QString &user, const QString &password, AuthMethod method = AuthPlain);
    bool sendMail(MimeMessage &email);
    // Sends "QUIT" without waiting for the reply; never throws.
    void quit();

    // RFC 5321 4.5.2: lines are ended by CRLF (bare CR and LF included), and a line that
    // begins with "." gets a second one, so no text can end the DATA early.
    static QString transparentData(const QString &text);
    // An address goes into an SMTP command and a header only without line breaks, other
    // control characters and angle brackets.
    static bool isSafeAddress(const QString &address);

signals:
    void smtpError(SmtpClient::SmtpError e);

protected slots:
    void socketStateChanged(QAbstractSocket::SocketState state);
    void socketError(QAbstractSocket::SocketError error);
    void socketReadyRead();

protected:
    void waitForResponse();
    void sendMessage(const QString &text);

private:
    // A reply the client cannot read (longer than any SMTP reply); ends the operation.
    class ProtocolException
    {
    };
    // The cancel flag was set; ends the operation.
    class CancelledException
    {
    };

    template <typename Operation> bool guarded(const char *operation, Operation run);
    // Sends a command and reads its reply; true when the code is the expected one, else the
    // reply is logged.
    bool command(const QString &text, int expectedCode, const QString &label);
    bool startTls();
    // Addresses safe for commands and headers, and at least one recipient; else logged.
    bool acceptsEnvelope(const QString &sender, const QStringList &recipients);
    bool flushWrites();
    bool isCancelled() const;
    // Waits like wait(ms) for at most timeoutMs, in slices so the cancel flag is seen; throws
    // CancelledException when it is set.
    template <typename Wait> bool waitUnlessCancelled(int timeoutMs, Wait wait);
    void logUnexpected(int expectedCode);
    void setErrorText(const QString &text) { m_errorText = text; }
    // Why the socket could not connect, in words for the user.
    QString connectFailureText() const;
    QString server() const;

    QTcpSocket *m_socket = nullptr;
    QString m_host;
    int m_port;
    ConnectionType m_connectionType;
    QString m_name;
    QString m_user;
    QString m_password;
    AuthMethod m_authMethod = AuthPlain;
    int m_connectionTimeout = 5000;
    int m_responseTimeout = 5000;
    int m_sendMessageTimeout = 60000;
    QString m_responseText;
    int m_responseCode = 0;
    // What the client is waiting for, for the log lines; never holds a credential.
    QString m_step;
    QString m_errorText;
    const std::atomic<bool> *m_cancel = nullptr;
};
