// Asks each given meter for its configuration, as adding the device would, and writes a
// "_config.xml" into the data folder (below $HOME) that logs all of its audiogroups.
#include <ConfigValidators.h>
#include <GetConfigRequest.h>
#include <GetConfigResponse.h>
#include <HttpDeviceNetworkInterface.h>
#include <ReplyText.h>
#include <SystemConfig.h>
#include <SystemConfigXml.h>

#include <KivTypes.h>
#include <KivUtils.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

namespace {

bool readMeter(QNetworkAccessManager &network, const QString &address, const QString &password,
               InstrumentConfig &instrument, QString &error)
{
    const QUrl url(address);
    if (!url.isValid() || url.port() <= 0) {
        error = QStringLiteral("not a meter address with a port: ") + address;
        return false;
    }
    // The whole authority without the port, so an IPv6 address keeps its brackets.
    const QString host = url.adjusted(QUrl::RemovePort | QUrl::RemovePath | QUrl::RemoveQuery |
                                      QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                             .toString();
    const QString port = QString::number(url.port());
    GetConfigRequest request(QStringLiteral("1"));
    request.setCredentials(password, QString());
    QNetworkRequest post(HttpDeviceNetworkInterface::buildUrl(host, port, ARequest::GETCONFIG));
    post.setHeader(QNetworkRequest::ContentTypeHeader,
                   QByteArrayLiteral("application/x-www-form-urlencoded"));
    QNetworkReply *reply = network.post(post, request.toBody());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!reply->isFinished() || reply->error() != QNetworkReply::NoError) {
        error = address + QStringLiteral(": ") + reply->errorString();
        reply->deleteLater();
        return false;
    }
    GetConfigResponse response;
    response.parse(replyDocumentText(decodeReplyBody(reply->readAll())));
    reply->deleteLater();
    if (!response.isValid() || response.getCode() != 0) {
        error = address + QStringLiteral(": no configuration (code %1)").arg(response.getCode());
        return false;
    }
    instrument = response.getInstrumentConfig();
    instrument.setIpAdr(host);
    instrument.setPort(port);
    instrument.setPass(password);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes _config.xml into the data folder below $HOME for the given "
                       "meters, each logging all of its audiogroups."));
    parser.addHelpOption();
    const QCommandLineOption password({QStringLiteral("w"), QStringLiteral("password")},
                                      QStringLiteral("Password of every meter (default empty)."),
                                      QStringLiteral("password"));
    const QCommandLineOption interval(QStringLiteral("acquisition-timeout"),
                                      QStringLiteral("Milliseconds between data requests."),
                                      QStringLiteral("ms"), QStringLiteral("2000"));
    parser.addOptions({password, interval});
    parser.addPositionalArgument(QStringLiteral("meter"),
                                 QStringLiteral("Meter address, as http://127.0.0.1:8080."),
                                 QStringLiteral("meter..."));
    parser.process(app);

    QTextStream err(stderr);
    if (parser.positionalArguments().isEmpty()) {
        err << "simconfig: no meter given\n";
        return 2;
    }
    SystemConfig config;
    config.setAutoStartLogging(true);
    config.setManualAcquisitionOn(true);
    config.setAcquisitionTimeout(parser.value(interval).toInt());
    QNetworkAccessManager network;
    QList<InstrumentConfig> instruments;
    for (const QString &address : parser.positionalArguments()) {
        InstrumentConfig instrument;
        QString error;
        if (!readMeter(network, address, parser.value(password), instrument, error)) {
            err << "simconfig: " << error << '\n';
            return 1;
        }
        instruments.append(instrument);
    }
    config.setInstruments(instruments);
    // Seven buttons, shortest span first, as the audiogroup window offers them.
    config.setRangeSettings({ZoomLevel30s, ZoomLevel5min, ZoomLevel20min, ZoomLevel1h, ZoomLevel6h,
                             ZoomLevel24h, ZoomLevel72h});
    // Written as the program would load it: a value it would repair is repaired here, and
    // said so, instead of in silence at the program's start.
    SystemConfigValidator validator;
    validator.setConfig(&config);
    QString problem;
    if (!validator.validate(problem, false)) {
        err << "simconfig: " << problem.simplified() << "; the program's repair is written\n";
        validator.validate(problem, true);
    }
    if (!createDataFolder() || saveSystemConfigToFile(config, systemConfigFileName()) != 0) {
        err << "simconfig: cannot write " << getDataFolderFilePath(systemConfigFileName()) << '\n';
        return 1;
    }
    QTextStream(stdout) << getDataFolderFilePath(systemConfigFileName()) << '\n';
    return 0;
}
