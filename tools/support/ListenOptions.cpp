#include "ListenOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

ListenOptions::ListenOptions(const QString &defaultPort, const QString &portHelp)
    : m_address({QStringLiteral("a"), QStringLiteral("address")},
                QStringLiteral("Address to bind (default 127.0.0.1)."), QStringLiteral("address"),
                QStringLiteral("127.0.0.1")),
      m_port({QStringLiteral("p"), QStringLiteral("port")}, portHelp, QStringLiteral("port"),
             defaultPort)
{
}

bool ListenOptions::read(const QCommandLineParser &parser, QTextStream &err, QHostAddress &address,
                         quint16 &port) const
{
    const QString tool = QCoreApplication::applicationName();
    if (!address.setAddress(parser.value(m_address))) {
        err << tool << ": not an address: " << parser.value(m_address) << '\n';
        return false;
    }
    bool ok = false;
    const uint number = parser.value(m_port).toUInt(&ok);
    if (!ok || number > 65535) {
        err << tool << ": not a port: " << parser.value(m_port) << '\n';
        return false;
    }
    port = quint16(number);
    return true;
}
