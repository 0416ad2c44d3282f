#pragma once

#include "SmtpSimulator.h"

#include <QTcpServer>

// The listening socket of the simulator, in the simulator's thread: each connection becomes
// a session, encrypted from the first byte in Tls mode.
class SmtpListener : public QTcpServer
{
    Q_OBJECT
public:
    explicit SmtpListener(SmtpSimulator *simulator);
    ~SmtpListener() override;

    void setSecurity(SmtpSimulator::Security security) { m_security = security; }
    // Stops listening and drops every session.
    void shutDown();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    SmtpSimulator *m_simulator;
    SmtpSimulator::Security m_security = SmtpSimulator::Plain;
};
