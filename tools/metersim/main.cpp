#include "MeterSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QMetaEnum>
#include <QSocketNotifier>
#include <QTextStream>

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace {

const char kCommandHelp[] =
    "Commands on standard input (path: /login, /getConfiguration, /getData or any; count -1:\n"
    "until cleared):\n"
    "  status <code> [path] [count]          answer the next replies with this code\n"
    "  fault <fault> [count] [path] [ms]     delay, noanswer, http500, connectionreset,\n"
    "                                        malformedxml, owndeclaration, byteordermark,\n"
    "                                        unknownaudiogroup, nanvalues (ms: the delay)\n"
    "  clear                                 forget the pending status codes and faults\n"
    "  confid                                a new configuration id\n"
    "  occupy                                another client takes the session (hijack)\n"
    "  expire                                the session expires\n"
    "  dropout <ms>                          refuse connections for a while\n";

// Faults by their name without "Fault", in lower case.
bool faultByName(const QString &name, MeterSimulator::Fault &fault)
{
    const QMetaEnum e = QMetaEnum::fromType<MeterSimulator::Fault>();
    for (int i = 0; i < e.keyCount(); ++i) {
        if (QString::fromLatin1(e.key(i)).mid(5).compare(name, Qt::CaseInsensitive) == 0) {
            fault = MeterSimulator::Fault(e.value(i));
            return true;
        }
    }
    return false;
}

QString pathArgument(const QStringList &words, int index)
{
    const QString path = words.value(index);
    return path == QLatin1String("any") ? QString() : path;
}

// Runs one command line; false when it is not understood.
bool runCommand(MeterSimulator &meter, const QString &line, QTextStream &out)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return true;
    const QString command = words.first();
    bool ok = true;
    auto integer = [&words, &ok](int index, int fallback) {
        if (index >= words.size())
            return fallback;
        bool good = false;
        const int v = words.at(index).toInt(&good);
        ok = ok && good;
        return v;
    };
    if (command == QLatin1String("status") && words.size() >= 2) {
        const int code = integer(1, 0);
        const int count = integer(3, 1);
        if (ok)
            meter.injectStatus(pathArgument(words, 2), code, count);
    } else if (command == QLatin1String("fault") && words.size() >= 2) {
        MeterSimulator::Fault fault;
        const int count = integer(2, 1);
        const int delayMs = integer(4, 5000);
        ok = ok && faultByName(words.at(1), fault);
        if (ok)
            meter.injectFault(fault, count, pathArgument(words, 3), delayMs);
    } else if (command == QLatin1String("clear")) {
        meter.clearInjections();
    } else if (command == QLatin1String("confid")) {
        out << "metersim: configuration id " << meter.changeConfigurationId() << '\n';
    } else if (command == QLatin1String("occupy")) {
        out << "metersim: held by session " << meter.occupyByOtherClient() << '\n';
    } else if (command == QLatin1String("expire")) {
        meter.expireSession();
    } else if (command == QLatin1String("dropout") && words.size() == 2) {
        const int ms = integer(1, 0);
        if (ok)
            meter.dropOutFor(ms);
    } else {
        ok = false;
    }
    out.flush();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("metersim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated loudness meter: answers /login, /getConfiguration and "
                       "/getData until it is killed.\n\n") +
        QString::fromLatin1(kCommandHelp));
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

    // Status codes, faults and session changes on demand.
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    // A background job that reads its terminal is stopped; it takes no commands.
    auto inBackground = [] {
        return ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) != ::getpgrp();
    };
    commands.setEnabled(!inBackground());
    QByteArray pending;
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        if (inBackground()) {
            commands.setEnabled(false);
            return;
        }
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            // End of input (as from /dev/null): stop watching it.
            commands.setEnabled(false);
            return;
        }
        pending.append(chunk, int(n));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (!runCommand(meter, QString::fromUtf8(line), out))
                err << "metersim: not understood: " << line.trimmed() << '\n' << kCommandHelp;
        }
        err.flush();
    });
    return app.exec();
}
