#include "MeterSimulator.h"

#include <CommandWords.h>
#include <ListenOptions.h>
#include <StdinCommands.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QMetaEnum>
#include <QTextStream>

namespace {

const char kCommandHelp[] =
    "Commands on standard input (path: /login, /getConfiguration, /getData or any; count -1:\n"
    "until cleared):\n"
    "  status <code> [path] [count]          answer the next replies with this code\n"
    "  fault <fault> [count] [path] [ms]     delay, noanswer, http500, connectionreset,\n"
    "                                        malformedxml, owndeclaration, byteordermark,\n"
    "                                        unknownaudiogroup, nanvalues, futuresample,\n"
    "                                        missingaudiogroup (ms: the delay; for\n"
    "                                        futuresample the seconds ahead of now)\n"
    "  clock <seconds>                       stamp samples this far ahead of the real\n"
    "                                        time from now on (negative: behind)\n"
    "  clear                                 forget the pending status codes and faults\n"
    "  confid                                a new configuration id\n"
    "  occupy                                another client takes the session (hijack)\n"
    "  expire                                the session expires\n"
    "  dropout <ms>                          refuse connections for a while\n"
    "  loud <ms> [lu]                        raise the momentary loudness by lu (default\n"
    "                                        20) from now on for ms\n";

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

QString pathArgument(const CommandWords &words, int index)
{
    const QString path = words.at(index);
    return path == QLatin1String("any") ? QString() : path;
}

// Runs one command line; false when it is not understood.
bool runCommand(MeterSimulator &meter, const QString &line, QTextStream &out)
{
    CommandWords words(line);
    if (words.isEmpty())
        return true;
    const QString command = words.at(0);
    bool ok = true;
    if (command == QLatin1String("status") && words.size() >= 2) {
        const int code = words.integer(1, 0);
        const int count = words.integer(3, 1);
        ok = words.ok();
        if (ok)
            meter.injectStatus(pathArgument(words, 2), code, count);
    } else if (command == QLatin1String("fault") && words.size() >= 2) {
        MeterSimulator::Fault fault;
        const int count = words.integer(2, 1);
        const int delayMs = words.integer(4, 5000);
        ok = words.ok() && faultByName(words.at(1), fault);
        if (ok)
            meter.injectFault(fault, count, pathArgument(words, 3), delayMs);
    } else if (command == QLatin1String("clock") && words.size() == 2) {
        const int seconds = words.integer(1, 0);
        ok = words.ok();
        if (ok)
            meter.setClockOffset(qint64(seconds) * 1000);
    } else if (command == QLatin1String("clear")) {
        meter.clearInjections();
    } else if (command == QLatin1String("confid")) {
        out << "metersim: configuration id " << meter.changeConfigurationId() << '\n';
    } else if (command == QLatin1String("occupy")) {
        out << "metersim: held by session " << meter.occupyByOtherClient() << '\n';
    } else if (command == QLatin1String("expire")) {
        meter.expireSession();
    } else if (command == QLatin1String("loud") && (words.size() == 2 || words.size() == 3)) {
        const int ms = words.integer(1, 0);
        const int lu = words.integer(2, 20);
        ok = words.ok() && ms > 0;
        if (ok) {
            const qint64 from = meter.now();
            meter.boostMomentary(from, from + ms, lu);
        }
    } else if (command == QLatin1String("dropout") && words.size() == 2) {
        const int ms = words.integer(1, 0);
        ok = words.ok();
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
    const ListenOptions listen(QStringLiteral("80"),
                               QStringLiteral("Port, 0 for a free one (default 80, which needs "
                                              "root)."));
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
    parser.addOptions(listen.options());
    parser.addOptions({name, groups, password, history, cap, quiet});
    parser.process(app);

    QTextStream err(stderr);
    QHostAddress host;
    quint16 portNumber = 0;
    if (!listen.read(parser, err, host, portNumber))
        return 2;
    bool ok = false;
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
    if (!meter.listen(host, portNumber)) {
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
    StdinCommands commands;
    QObject::connect(&commands, &StdinCommands::lineReceived, [&](const QString &line) {
        if (!runCommand(meter, line, out))
            err << "metersim: not understood: " << line.trimmed() << '\n' << kCommandHelp;
        err.flush();
    });
    return app.exec();
}
