#pragma once

#include <QCommandLineOption>
#include <QHostAddress>
#include <QList>

class QCommandLineParser;
class QTextStream;

// The address and port options of a stand-in server ("-a", "-p").
class ListenOptions
{
public:
    ListenOptions(const QString &defaultPort, const QString &portHelp);

    QList<QCommandLineOption> options() const { return {m_address, m_port}; }
    // False, with a line on err, when the address or the port is not valid.
    bool read(const QCommandLineParser &parser, QTextStream &err, QHostAddress &address,
              quint16 &port) const;

private:
    QCommandLineOption m_address;
    QCommandLineOption m_port;
};
