#include <EmailAddress.h>
#include <KivTest.h>
#include <MimeHtml.h>
#include <MimeMessage.h>
#include <SmtpClient.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// The mail server stand-in as a user runs it: a process on a free port that prints what it
// takes, writes the messages into a folder and takes a script on standard input.
class TestSmtpSim : public QObject
{
    Q_OBJECT
private:
    // Waits for a line of standard output that matches; its first capture.
    static QString waitForLine(QProcess &process, const QString &pattern, QByteArray &seen)
    {
        const QRegularExpression re(pattern);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            for (const QByteArray &line : seen.split('\n')) {
                const QRegularExpressionMatch m = re.match(QString::fromUtf8(line));
                if (m.hasMatch())
                    return m.captured(1);
            }
            if (!process.waitForReadyRead(200) && process.state() != QProcess::Running)
                break;
            seen += process.readAllStandardOutput();
        }
        return QString();
    }

private slots:
    void takesScriptsAndWritesMessages();
};

void TestSmtpSim::takesScriptsAndWritesMessages()
{
    QTemporaryDir dir;
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(SMTPSIM_PATH),
              {QStringLiteral("-p"), QStringLiteral("0"), QStringLiteral("-q"),
               QStringLiteral("--out"), dir.path()});
    QVERIFY(sim.waitForStarted());
    QByteArray out;
    const int port =
        waitForLine(sim, QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"), out).toInt();
    QVERIFY2(port > 0, out.constData());

    EmailAddress sender(QStringLiteral("kiv@example.org"), QStringLiteral("KIV"));
    EmailAddress recipient(QStringLiteral("ops@example.org"));
    MimeMessage message;
    MimeHtml html(QStringLiteral("<p>Studio 1</p>"));
    message.setSender(&sender);
    message.addRecipient(&recipient);
    message.setSubject(QStringLiteral("KIV Alert"));
    message.addPart(&html);
    auto send = [&] {
        SmtpClient client(QStringLiteral("127.0.0.1"), port, SmtpClient::Tcp);
        const bool sent = client.connectToHost() && client.sendMail(message);
        client.quit();
        return sent;
    };

    // A scripted refusal of the sender, then a message that arrives.
    sim.write("answer mailfrom 451\n");
    QTRY_VERIFY(sim.bytesToWrite() == 0);
    // Read before the client's MAIL FROM, which comes after two exchanges.
    QVERIFY(!send());
    QVERIFY(send());
    QCOMPARE(waitForLine(sim,
                         QStringLiteral("message (1) from <kiv@example.org> to "
                                        "<ops@example.org>"),
                         out),
             QStringLiteral("1"));
    QFile file(QDir(dir.path()).filePath(QStringLiteral("message-1.eml")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), message.toString().toUtf8() + "\r\n");

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
}

KIV_TEST_MAIN(TestSmtpSim, QCoreApplication)

#include "tst_smtpsim.moc"
