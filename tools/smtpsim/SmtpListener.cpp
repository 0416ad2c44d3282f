#include "SmtpListener.h"

#include "SmtpSession.h"

#include <QSslSocket>

SmtpListener::SmtpListener(SmtpSimulator *simulator) : m_simulator(simulator) {}

SmtpListener::~SmtpListener() = default;

void SmtpListener::shutDown()
{
    close();
    const QList<SmtpSession *> sessions = findChildren<SmtpSession *>();
    for (SmtpSession *session : sessions)
        session->drop();
}

void SmtpListener::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket;
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    new SmtpSession(socket, m_simulator, m_security == SmtpSimulator::Tls, this);
}
