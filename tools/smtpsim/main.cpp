#include "SelfSignedCertificate.h"
#include "SmtpSimulator.h"

#include <CommandWords.h>
#include <ListenOptions.h>
#include <StdinCommands.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

const char kCommandHelp[] =
    "Commands on standard input (count -1: until cleared; skip: let that many pass first):\n"
    "  answer <step> <code> [count] [skip]   answer the step with this code\n"
    "  close <step> [count] [skip]           close the connection at the step\n"
    "  silent <step> [count] [skip]          never answer from the step on\n"
    "  stall <step> [count] [skip]           answer, then stop reading the connection\n"
    "  clear                                 forget the script\n"
    "Steps: greeting, ehlo, starttls, auth, mailfrom, rcptto, data, endofdata, quit.\n";

bool stepByName(const QString &name, SmtpSimulator::Step &step)
{
    const QMetaEnum e = QMetaEnum::fromType<SmtpSimulator::Step>();
    for (int i = 0; i < e.keyCount(); ++i) {
        if (QString::fromLatin1(e.key(i)).compare(name, Qt::CaseInsensitive) == 0) {
            step = SmtpSimulator::Step(e.value(i));
            return true;
        }
    }
    return false;
}

// Runs one command line; false when it is not understood.
bool runCommand(SmtpSimulator &server, const QString &line)
{
    CommandWords words(line);
    if (words.isEmpty())
        return true;
    const QString command = words.at(0);
    if (command == QLatin1String("clear")) {
        server.clearScript();
        return true;
    }
    SmtpSimulator::Step step = SmtpSimulator::Greeting;
    if (words.size() < 2 || !stepByName(words.at(1), step))
        return false;
    SmtpSimulator::Action action;
    int next = 2;
    if (command == QLatin1String("answer") && words.size() >= 3)
        action = SmtpSimulator::Action::answer(words.integer(next++, 0));
    else if (command == QLatin1String("close"))
        action = SmtpSimulator::Action::close();
    else if (command == QLatin1String("silent"))
        action = SmtpSimulator::Action::noAnswer();
    else if (command == QLatin1String("stall"))
        action = SmtpSimulator::Action::stallReading();
    else
        return false;
    const int count = words.integer(next, 1);
    const int skip = words.integer(next + 1, 0);
    if (words.ok())
        server.script(step, action, count, skip);
    return words.ok();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("smtpsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loopback mail server for trying the program's e-mail: takes every "
                       "message and prints a line for it until it is killed.\n\n") +
        QString::fromLatin1(kCommandHelp));
    parser.addHelpOption();
    const ListenOptions listen(QStringLiteral("2525"),
                               QStringLiteral("Port, 0 for a free one (default 2525)."));
    const QCommandLineOption tls(
        QStringLiteral("tls"), QStringLiteral("TLS from the first byte (the program's \"SSL\")."));
    const QCommandLineOption startTls(QStringLiteral("starttls"),
                                      QStringLiteral("Offer STARTTLS on a plain connection."));
    const QCommandLineOption certificate(
        QStringLiteral("cert"),
        QStringLiteral("PEM certificate for TLS (default: a self-signed one for 127.0.0.1, made "
                       "with openssl)."),
        QStringLiteral("file"));
    const QCommandLineOption key(QStringLiteral("key"),
                                 QStringLiteral("PEM RSA key of the certificate."),
                                 QStringLiteral("file"));
    const QCommandLineOption user(
        QStringLiteral("user"), QStringLiteral("Accept AUTH only for this user (and require it)."),
        QStringLiteral("name"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("The password of --user."),
                                      QStringLiteral("password"));
    const QCommandLineOption outDir(QStringLiteral("out"),
                                    QStringLiteral("Write each message to this folder as "
                                                   "message-<n>.eml."),
                                    QStringLiteral("folder"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Do not print the dialogue of each session."));
    parser.addOptions(listen.options());
    parser.addOptions({tls, startTls, certificate, key, user, password, outDir, quiet});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QHostAddress host;
    quint16 portNumber = 0;
    if (!listen.read(parser, err, host, portNumber))
        return 2;

    SmtpSimulator server;
    QTemporaryDir certificateDir;
    if (parser.isSet(tls) || parser.isSet(startTls)) {
        SelfSignedCertificate made;
        const bool loaded = parser.isSet(certificate)
                                ? made.load(parser.value(certificate), parser.value(key))
                                : made.create(certificateDir.path());
        if (!loaded) {
            err << "smtpsim: no certificate: " << made.errorString() << '\n';
            return 1;
        }
        if (!parser.isSet(certificate))
            out << "smtpsim: certificate " << made.certificatePath()
                << " (trust it to connect with TLS)\n";
        server.setCertificate(made.certificate(), made.key());
        server.setOfferStartTls(parser.isSet(startTls));
    }
    if (parser.isSet(user))
        server.setCredentials(parser.value(user), parser.value(password));
    const QString folder = parser.value(outDir);
    if (!folder.isEmpty() && !QDir().mkpath(folder)) {
        err << "smtpsim: cannot create " << folder << '\n';
        return 1;
    }

    if (!server.listen(parser.isSet(tls) ? SmtpSimulator::Tls : SmtpSimulator::Plain, host,
                       portNumber)) {
        err << "smtpsim: cannot listen on " << host.toString() << ':' << portNumber << ": "
            << server.errorString() << '\n';
        return 1;
    }
    out << "smtpsim: listening on " << host.toString() << ':' << server.port()
        << (parser.isSet(tls) ? " with TLS" : "") << '\n';
    out.flush();

    QObject::connect(&server, &SmtpSimulator::messageReceived, [&](int index) {
        const SmtpSimulator::Message m = server.messages().value(index);
        out << "smtpsim: message " << index + 1 << " from <" << m.mailFrom << "> to <"
            << m.recipients.join(QLatin1String(">, <")) << ">, " << m.data.size() << " bytes"
            << (m.accepted ? "" : ", refused") << '\n';
        if (!folder.isEmpty()) {
            QFile file(QDir(folder).filePath(QStringLiteral("message-%1.eml").arg(index + 1)));
            if (!file.open(QIODevice::WriteOnly) || file.write(m.data) != m.data.size())
                err << "smtpsim: cannot write " << file.fileName() << '\n';
            err.flush();
        }
        out.flush();
    });
    if (!parser.isSet(quiet)) {
        QObject::connect(&server, &SmtpSimulator::sessionEnded, [&](int serial) {
            for (const SmtpSimulator::Session &s : server.sessions()) {
                if (s.serial == serial)
                    out << "smtpsim: session " << serial << " from " << s.peer << ":\n"
                        << QString::fromUtf8(s.transcript);
            }
            out.flush();
        });
    }

    StdinCommands commands;
    QObject::connect(&commands, &StdinCommands::lineReceived, [&](const QString &line) {
        if (!runCommand(server, line))
            err << "smtpsim: not understood: " << line.trimmed() << '\n' << kCommandHelp;
        err.flush();
    });
    return app.exec();
}
