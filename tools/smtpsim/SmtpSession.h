#pragma once

#include "SmtpSimulator.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <functional>

class QSslSocket;

// One connection to the simulator, in the simulator's thread: reads commands and message
// text, answers as a mail server does (or as the script says) and records what passed.
class SmtpSession : public QObject
{
    Q_OBJECT
public:
    // Takes ownership of the connected socket.
    SmtpSession(QSslSocket *socket, SmtpSimulator *simulator, bool tlsFromStart, QObject *parent);
    ~SmtpSession() override;

    // Closes the connection at once.
    void drop();

private:
    enum State {
        AwaitingHandshake,
        Commands,
        AuthPlainResponse,
        AuthLoginUser,
        AuthLoginPassword,
        MessageText,
        Silent,
        Stalled,
        Closed
    };

    void greet();
    void onReadyRead();
    void process();
    void handleLine(const QByteArray &line);
    void handleCommand(const QByteArray &verb, const QByteArray &argument);
    void handleAuth(const QByteArray &argument);
    void finishAuth(const QString &method, const QByteArray &user, const QByteArray &password);
    void handleMessageEnd(const QByteArray &raw);
    void startTls();
    void resetTransaction();
    // Answers a step: the script's action or the given reply. Returns the code sent, or -1
    // when nothing was sent. `beforeAnswer` learns that code before the answer goes out.
    int respond(SmtpSimulator::Step step, int code, const QStringList &lines,
                const std::function<void(int)> &beforeAnswer = {});
    void send(const QByteArray &bytes);
    void record(const QByteArray &transcriptLine, const QByteArray &command = QByteArray());
    void end(bool byServer);

    QSslSocket *m_socket;
    SmtpSimulator *m_simulator;
    int m_serial;
    State m_state;
    bool m_tls;
    bool m_ended = false;
    bool m_authenticated = false;
    bool m_inTransaction = false;
    QString m_mailFrom;
    QStringList m_recipients;
    QByteArray m_buffer;
    int m_searchFrom = 0;
    QByteArray m_loginUser;
    int m_messageNumber = 0;
};
