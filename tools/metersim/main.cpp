#include "MeterSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("metersim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated loudness meter: answers /login, /getConfiguration and "
                       "/getData until it is killed."));
    parser.addHelpOption();
    const QCommandLineOption address({QStringLiteral("a"), QStringLiteral("address")},
                                     QStringLiteral("Address to bind (default 127.0.0.1)."),
                                     QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("Port, 0 for a free one (default 80, which needs "
                                                 "root)."),
                                  QStringLiteral("port"), QStringLiteral("80"));
    const QCommandLineOption name({QStringLiteral("n"), QStringLiteral("name")},
                                  QStringLiteral("Instrument name (default SimMeter)."),
                                  QStringLiteral("name"), QStringLiteral("SimMeter"));
    const QCommandLineOption groups(
        {QStringLiteral("g"), QStringLiteral("audiogroup")},
        QStringLiteral("Audiogroup name; repeat for several (default \"Program 1\" and "
                       "\"Program 2\")."),
        QStringLiteral("name"));
    const QCommandLineOption password({QStringLiteral("w"), QStringLiteral("password")},
                                      QStringLiteral("Password (default empty)."),
                                      QStringLiteral("password"));
    const QCommandLineOption history(QStringLiteral("history"),
                                     QStringLiteral("Seconds of samples kept (default 3600)."),
                                     QStringLiteral("seconds"), QStringLiteral("3600"));
    // Uncapped, an hour of history for five audiogroups exceeds the largest reply the
    // program accepts, and logging would never start.
    const QCommandLineOption cap(QStringLiteral("max-samples"),
                                 QStringLiteral("Samples per list and reply, 0 for no cap "
                                                "(default 3000)."),
                                 QStringLiteral("count"), QStringLiteral("3000"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Do not print a line per request."));
    parser.addOptions({address, port, name, groups, password, history, cap, quiet});
    parser.process(app);

    QTextStream err(stderr);
    QHostAddress host;
    if (!host.setAddress(parser.value(address))) {
        err << "metersim: not an address: " << parser.value(address) << '\n';
        return 2;
    }
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535) {
        err << "metersim: not a port: " << parser.value(port) << '\n';
        return 2;
    }
    const qint64 historySeconds = parser.value(history).toLongLong(&ok);
    if (!ok || historySeconds < 0) {
        err << "metersim: not a number of seconds: " << parser.value(history) << '\n';
        return 2;
    }
    const int maxSamples = parser.value(cap).toInt(&ok);
    if (!ok || maxSamples < 0) {
        err << "metersim: not a sample count: " << parser.value(cap) << '\n';
        return 2;
    }

    MeterSimulator meter;
    meter.setInstrumentName(parser.value(name));
    meter.setPassword(parser.value(password));
    if (parser.isSet(groups))
        meter.setAudioGroupNames(parser.values(groups));
    meter.setHistoryMs(historySeconds * 1000);
    meter.setMaxSamplesPerReply(maxSamples);
    if (!meter.listen(host, quint16(portNumber))) {
        err << "metersim: cannot listen on " << host.toString() << ':' << portNumber << ": "
            << meter.errorString() << '\n';
        return 1;
    }

    QTextStream out(stdout);
    out << "metersim: " << meter.instrumentName() << " listening on " << meter.hostUrl() << ':'
        << meter.port() << '\n';
    out.flush();
    if (!parser.isSet(quiet)) {
        QObject::connect(&meter, &MeterSimulator::requestReceived, [&meter, &out](const QString &) {
            const MeterSimulator::Request r = meter.lastRequest();
            out << r.peer << ' ' << r.method << ' ' << r.path << " reqid=" << r.reqid
                << " code=" << r.answeredCode << '\n';
            out.flush();
        });
    }
    return app.exec();
}
