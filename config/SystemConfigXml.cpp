#include "SystemConfigXml.h"

#include "ConfigNames.h"
#include "ConfigQuery.h"
#include "ConfigReflection.h"
#include "ConfigValidators.h"

#include <KivUtils.h>
#include <ORQLogging.h>
#include <XMLTag.h>

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

void buildSystemConfigXml(const SystemConfig &config, XMLTag &root, bool omitSmtp)
{
    writeObjectFields(config, root);

    XMLTag ranges(QStringLiteral("RangeSettings"));
    const QList<int> settings = config.getRangeSettings();
    for (int i = 0; i < settings.size(); ++i)
        ranges.addTextChild(QStringLiteral("Button%1").arg(i), QString::number(settings.at(i)));
    root.appendChild(ranges);

    if (!omitSmtp)
        config.getSMTPConfig().toXml(root);
    config.getReportConfig().toXml(root);

    XMLTag contacts(QStringLiteral("AlertContactsConfig"));
    const QList<AlertContactConfig> contactList = config.getAlertContacts();
    for (const AlertContactConfig &contact : contactList)
        contact.toXml(contacts);
    root.appendChild(contacts);

    XMLTag instruments(QStringLiteral("Instruments"));
    const QList<InstrumentConfig> instrumentList = config.getInstruments();
    for (const InstrumentConfig &instrument : instrumentList)
        instrument.toXml(instruments);
    root.appendChild(instruments);
}

QString systemConfigToXmlString(const SystemConfig &config, bool omitSmtp)
{
    XMLTag root(QStringLiteral("SystemConfig"));
    buildSystemConfigXml(config, root, omitSmtp);
    return root.toDocumentString();
}

QString systemConfigFileName()
{
    return QStringLiteral("_config.xml");
}

int saveSystemConfigToFile(const SystemConfig &config, const QString &name)
{
    const QString path = getDataFolderFilePath(name);
    const QByteArray bytes = systemConfigToXmlString(config, false).toUtf8();
    // A file the loader would refuse must not replace one it can read.
    if (bytes.size() > ConfigQuery::kMaxDocumentBytes) {
        KIV_LOG(2, "Configuration not written to %s: %d bytes, more than %lld\n", qPrintable(path),
                bytes.size(), ConfigQuery::kMaxDocumentBytes);
        return -1;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        KIV_LOG(2, "Cannot open %s for writing: %s\n", qPrintable(path),
                qPrintable(file.errorString()));
        return -1;
    }
    // It holds passwords in clear text. QSaveFile would otherwise take over the old
    // file's permissions.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        KIV_LOG(2, "Cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        file.cancelWriting();
        return -1;
    }
    return 0;
}

namespace {

void readInstruments(SystemConfig &result, ConfigQuery &query)
{
    const QStringList names = query.names(ConfigQuery::SectionInstrument);
    for (const QString &name : names) {
        // The first of duplicate Names wins.
        if (!result.hasInstrument(name))
            result.addOrUpdateInstrument(InstrumentConfig::fromXml(name, query));
    }
}

void readRangeSettings(SystemConfig &result, ConfigQuery &query)
{
    QList<int> list;
    for (int i = 0; i < 7; ++i) {
        const QString text =
            query.field(ConfigQuery::SectionRangeSettings, QStringLiteral("Button%1").arg(i))
                .trimmed();
        if (text.isEmpty())
            continue;
        bool ok = false;
        const int level = text.toInt(&ok, 10);
        // Not a zoom level: the first one.
        list.append(ok && level >= 0 && level <= 15 ? level : 0);
    }
    if (list.size() == 7)
        result.setRangeSettings(list);
}

void readContacts(SystemConfig &result, ConfigQuery &query)
{
    // Each name comes once, from the first of duplicates; appending to a list of our own
    // keeps a long one linear.
    QList<AlertContactConfig> contacts;
    const QStringList names = query.names(ConfigQuery::SectionContact);
    for (const QString &name : names)
        contacts.append(AlertContactConfig::fromXml(name, query));
    result.setAlertContacts(contacts);
}

void repair(SystemConfig &result)
{
    QString message;
    SystemConfigValidator validator;
    validator.setConfig(&result);
    validator.validate(message, true);
}

// Keeps a damaged file for inspection before a later save replaces it.
void keepBadFile(QFile &file, const QString &problem)
{
    const QString path = file.fileName();
    const QString bad = path + QStringLiteral(".bad");
    file.close();
    QFile::remove(bad);
    if (QFile::rename(path, bad) || QFile::copy(path, bad)) {
        KIV_LOG(2, "Configuration file %s cannot be read (%s); kept as %s, defaults loaded\n",
                qPrintable(path), qPrintable(problem), qPrintable(bad));
    } else {
        KIV_LOG(2,
                "Configuration file %s cannot be read (%s) and could not be kept as %s; "
                "defaults loaded\n",
                qPrintable(path), qPrintable(problem), qPrintable(bad));
    }
}

} // namespace

SystemConfig loadSystemConfigFromFile(const QString &name)
{
    SystemConfig result;
    QFile file(getDataFolderPath() + QStringLiteral("/") + name);
    if (file.exists()) {
        // When it cannot be opened, the query says so.
        file.open(QIODevice::ReadOnly);
        ConfigQuery query(&file, ConfigQuery::ModeFocus);
        if (!query.hasConfigDocument()) {
            keepBadFile(file, query.problem());
        } else {
            readObjectFields(result, query, ConfigQuery::SectionSystem);
            readInstruments(result, query);
            leaveOutSharedAgDbFiles(result);
            readRangeSettings(result, query);
            result.setSMTPConfig(SMTPConfig::fromXml(query));
            result.setReportConfig(ReportConfig::fromXml(query));
            readContacts(result, query);
        }
    }
    repair(result);
    return result;
}

SystemConfig loadSystemConfigFromInputDocument(QIODevice *document)
{
    SystemConfig result;
    ConfigQuery query(document, ConfigQuery::ModeInputDocument);
    if (!query.hasConfigDocument()) {
        KIV_LOG(2, "Configuration copy cannot be read (%s); defaults used\n",
                qPrintable(query.problem()));
    } else {
        readObjectFields(result, query, ConfigQuery::SectionSystem);
        readInstruments(result, query);
        result.setSMTPConfig(SMTPConfig::fromXml(query));
        result.setReportConfig(ReportConfig::fromXml(query));
        readRangeSettings(result, query);
        readContacts(result, query);
    }
    repair(result);
    return result;
}
