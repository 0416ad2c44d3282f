// Builds and sends an alert e-mail: the HTML body from the alerts through the template, then
// the message with the inline logo, as the e-mail workers do for every contact. The alert
// manager holds at most 3000 alerts, so that is the largest body.
#include <Alert.h>
#include <AlertManager.h>
#include <EmailAddress.h>
#include <KivResources.h>
#include <MimeAttachment.h>
#include <MimeHtml.h>
#include <MimeMessage.h>
#include <SMTPTask.h>
#include <SmtpClient.h>
#include <SmtpSimulator.h>

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

std::vector<Alert> alertBatch(int alerts)
{
    std::vector<Alert> batch;
    for (int i = 0; i < alerts; ++i)
        batch.emplace_back(
            1700000000000 + i * 200, 0, 1, 0,
            QStringLiteral("Threshold violation at 2023.11.14 22:%1:20 UTC in Studio %2:Program 1\n"
                           "Momentary: 12.31LU (Threshold main: 8.00LU/ Threshold secondary: "
                           "6.00LU)\nTP: -0.40dBTP (Threshold main: -1.00dBTP/ Threshold "
                           "secondary: -2.00dBTP)\n")
                .arg(i % 60, 2, 10, QLatin1Char('0'))
                .arg(i % 20));
    return batch;
}

QString alertBody(int alerts)
{
    int result = -1;
    return AlertManager::composeEmailBody(alertBatch(alerts), result);
}

void BM_AlertEmailBody(benchmark::State &state)
{
    const std::vector<Alert> batch = alertBatch(int(state.range(0)));
    for (auto _ : state) {
        int result = -1;
        benchmark::DoNotOptimize(AlertManager::composeEmailBody(batch, result));
    }
}
BENCHMARK(BM_AlertEmailBody)->Arg(1)->Arg(100)->Arg(3000)->Unit(benchmark::kMicrosecond);

// One attempt's message, built anew as the task does.
struct Mail
{
    EmailAddress sender{QStringLiteral("kiv@example.org"), QStringLiteral("kiv")};
    EmailAddress recipient{QStringLiteral("ops@example.org"), QStringLiteral("Ops Desk")};
    MimeMessage message;
    MimeHtml html;
    MimeAttachment logo{new QFile(QStringLiteral(":/main/NUV_logo_black.png"))};

    explicit Mail(const QString &body) : html(body)
    {
        message.setSender(&sender);
        message.addRecipient(&recipient);
        message.setSubject(QStringLiteral("KIV Alert"));
        logo.setContentType(QStringLiteral("image/png"));
        logo.setContentId(QStringLiteral("NUVLogo"));
        message.addPart(&html);
        message.addPart(&logo);
    }
};

void BM_ComposeAlertMail(benchmark::State &state)
{
    const QString body = alertBody(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        Mail mail(body);
        const QString data = SmtpClient::transparentData(mail.message.toString());
        bytes += data.toUtf8().size();
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ComposeAlertMail)->Arg(1)->Arg(100)->Arg(3000)->Unit(benchmark::kMicrosecond);

void BM_SendAlertMail(benchmark::State &state)
{
    SmtpSimulator server;
    if (!server.listen()) {
        state.SkipWithError("cannot listen");
        return;
    }
    SMTPConfig smtp;
    smtp.setConnectionType(QStringLiteral("TCP"));
    smtp.setHost(QStringLiteral("127.0.0.1"));
    smtp.setPort(server.port());
    const SMTPRequest request(QStringLiteral("bench"), smtp, QStringLiteral("kiv@example.org"),
                              QStringLiteral("kiv"), QStringLiteral("ops@example.org"),
                              QStringLiteral("Ops Desk"), QStringLiteral("KIV Alert"),
                              alertBody(int(state.range(0))));
    for (auto _ : state) {
        SMTPTask task(request, 60000, 60000);
        if (!task.perform()) {
            state.SkipWithError("send failed");
            break;
        }
        state.PauseTiming();
        server.clearRecords();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SendAlertMail)->Arg(1)->Arg(3000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    initKivResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
