#include "SystemConfigXml.h"

#include "ConfigNames.h"
#include "ConfigQuery.h"
#include "ConfigReflection.h"
#include "ConfigValidators.h"

#include <KivUtils.h>
#include <ORQLogging.h>
#include <XMLTag.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRegularExpression>
#include <QSaveFile>

#include <functional>

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

void readRangeSettings(SystemConfig &result, ConfigQuery &query, QStringList *changes = nullptr)
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
        const bool valid = ok && level >= 0 && level <= 15;
        if (!valid && changes)
            changes->append(QStringLiteral("RangeSettings: Button%1 \"%2\" changed to \"0\"")
                                .arg(i)
                                .arg(text));
        list.append(valid ? level : 0);
    }
    if (list.size() == 7)
        result.setRangeSettings(list);
    else if (changes)
        // Only seven buttons are used: repairs of fewer are none.
        changes->clear();
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

// Keeps a damaged file for inspection before a later save replaces it. The copy's path,
// or empty when it could not be kept.
QString keepBadFile(QFile &file, const QString &problem)
{
    const QString path = file.fileName();
    file.close();
    const QString bad = setAsidePath(path);
    if (QFile::rename(path, bad) || QFile::copy(path, bad)) {
        KIV_LOG(2, "Configuration file %s cannot be read (%s); kept as %s, defaults loaded\n",
                qPrintable(path), qPrintable(problem), qPrintable(bad));
        return bad;
    }
    KIV_LOG(2,
            "Configuration file %s cannot be read (%s) and could not be kept as %s; "
            "defaults loaded\n",
            qPrintable(path), qPrintable(problem), qPrintable(bad));
    return QString();
}

// The copy setAsidePath made last for `path`: the latest stamp, of one stamp the highest
// count. Empty when there is none.
QString lastSetAsideCopy(const QString &path)
{
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QLatin1Char('.');
    static const QRegularExpression tail(QStringLiteral("^(\\d{8}-\\d{6})(?:-(\\d+))?\\.bad$"));
    QString last;
    QString lastStamp;
    int lastCount = 0;
    const QStringList names =
        info.dir().entryList({prefix + QStringLiteral("*.bad")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = tail.match(name.mid(prefix.size()));
        if (!match.hasMatch())
            continue;
        const QString stamp = match.captured(1);
        const int count = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
        if (last.isEmpty() || stamp > lastStamp || (stamp == lastStamp && count > lastCount)) {
            last = name;
            lastStamp = stamp;
            lastCount = count;
        }
    }
    return last.isEmpty() ? QString() : info.dir().filePath(last);
}

bool sameContent(const QString &one, const QString &other)
{
    QFile a(one);
    QFile b(other);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    return a.readAll() == b.readAll();
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// One line per field whose text the repair changed. The old text is the file's own where
// it has one: a number that did not convert reads as -32767, which the file never said.
void noteRepairs(const QString &where, const QObject &asRead, const QObject &repaired,
                 const std::function<QString(const QString &)> &fileText, QStringList &changes)
{
    const QList<QPair<QString, QString>> before = objectFieldTexts(asRead);
    const QList<QPair<QString, QString>> after = objectFieldTexts(repaired);
    for (int i = 0; i < before.size() && i < after.size(); ++i) {
        if (before.at(i).second == after.at(i).second)
            continue;
        const QString inFile = fileText(before.at(i).first).trimmed();
        changes.append(QStringLiteral("%1%2 %3 changed to %4")
                           .arg(where, before.at(i).first,
                                quoted(inFile.isEmpty() ? before.at(i).second : inFile),
                                quoted(after.at(i).second)));
    }
}

// What repair() changed in `asRead`, read back from the document where it can be.
QStringList repairsOf(const SystemConfig &asRead, const SystemConfig &repaired,
                      ConfigQuery &query)
{
    QStringList changes;
    noteRepairs(QStringLiteral("System settings: "), asRead, repaired,
                [&query](const QString &field) {
                    return query.field(ConfigQuery::SectionSystem, field);
                },
                changes);
    const QList<InstrumentConfig> instruments = asRead.getInstruments();
    for (const InstrumentConfig &instrument : instruments) {
        const QString name = instrument.getName();
        if (!repaired.hasInstrument(name))
            continue;
        const InstrumentConfig fixed = repaired.getInstrument(name);
        noteRepairs(QStringLiteral("Instrument %1: ").arg(quoted(name)), instrument, fixed,
                    [&query, &name](const QString &field) {
                        query.bindInstrumentId(name);
                        return query.field(ConfigQuery::SectionInstrument, field);
                    },
                    changes);
        const QList<AgConfig> groups = instrument.getAgConfigs();
        for (const AgConfig &group : groups) {
            const QString agName = group.getName();
            noteRepairs(QStringLiteral("Instrument %1, audiogroup %2: ")
                            .arg(quoted(name), quoted(agName)),
                        group, fixed.getAgConfig(agName),
                        [&query, &name, &agName](const QString &field) {
                            query.bindInstrumentId(name);
                            query.bindAgName(agName);
                            return query.field(ConfigQuery::SectionAudioGroup, field);
                        },
                        changes);
        }
    }
    noteRepairs(QStringLiteral("SMTP settings: "), asRead.getSMTPConfig(),
                repaired.getSMTPConfig(),
                [&query](const QString &field) {
                    return query.field(ConfigQuery::SectionSmtp, field);
                },
                changes);
    return changes;
}

} // namespace

SystemConfig loadSystemConfigFromFile(const QString &name, ConfigLoadNotes *notes)
{
    ConfigLoadNotes found;
    SystemConfig result;
    QFile file(getDataFolderPath() + QStringLiteral("/") + name);
    if (file.exists()) {
        // When it cannot be opened, the query says so.
        file.open(QIODevice::ReadOnly);
        ConfigQuery query(&file, ConfigQuery::ModeFocus);
        if (!query.hasConfigDocument()) {
            found.unreadable = query.problem();
            found.keptCopy = keepBadFile(file, query.problem());
        } else {
            readObjectFields(result, query, ConfigQuery::SectionSystem);
            readInstruments(result, query);
            leaveOutSharedAgDbFiles(result, &found.changes);
            QStringList rangeChanges;
            readRangeSettings(result, query, &rangeChanges);
            found.changes += rangeChanges;
            result.setSMTPConfig(SMTPConfig::fromXml(query));
            result.setReportConfig(ReportConfig::fromXml(query));
            readContacts(result, query);
            const SystemConfig asRead = result;
            repair(result);
            const QStringList repairs = repairsOf(asRead, result, query);
            for (const QString &line : repairs)
                KIV_LOG(3, "Configuration value repaired: %s\n", qUtf8Printable(line));
            found.changes += repairs;
            file.close();
            if (!found.changes.isEmpty()) {
                // A later save writes the repaired values over the file.
                // A file left as it was on purpose (a refused address or port stays until
                // a valid one is saved) is found again at every start: one copy of it.
                const QString earlier = lastSetAsideCopy(file.fileName());
                const QString copy = setAsidePath(file.fileName());
                if (!earlier.isEmpty() && sameContent(earlier, file.fileName())) {
                    found.keptCopy = earlier;
                    KIV_LOG(3, "Configuration file %s as it was is kept as %s already\n",
                            qPrintable(file.fileName()), qPrintable(earlier));
                } else if (QFile::copy(file.fileName(), copy)) {
                    found.keptCopy = copy;
                    KIV_LOG(3, "Configuration file %s as it was is kept as %s\n",
                            qPrintable(file.fileName()), qPrintable(copy));
                } else {
                    KIV_LOG(2, "Configuration file %s could not be kept as %s\n",
                            qPrintable(file.fileName()), qPrintable(copy));
                }
            }
            if (notes)
                *notes = found;
            return result;
        }
    }
    repair(result);
    if (notes)
        *notes = found;
    return result;
}

QString setAsidePath(const QString &path)
{
    const QString stamped =
        path + QLatin1Char('.') +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = stamped + QStringLiteral(".bad");
    for (int count = 2; QFile::exists(candidate); ++count)
        candidate = stamped + QStringLiteral("-%1.bad").arg(count);
    return candidate;
}

QString ConfigLoadNotes::alertText() const
{
    // Long paths break after their separators instead of running out of the box.
    auto breakable = [](const QString &path) {
        QString text = QDir::toNativeSeparators(path);
        return text.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    };
    QString text;
    if (!unreadable.isEmpty()) {
        text = QStringLiteral("The configuration file could not be read (%1). KIV started "
                              "with default settings, without its meters.")
                   .arg(unreadable);
    } else {
        // The box stays readable; log.txt has every line.
        constexpr int kShown = 8;
        text = QStringLiteral("Values of the configuration file could not be used as they "
                              "were and were changed:");
        for (int i = 0; i < changes.size() && i < kShown; ++i)
            text += QStringLiteral("\n") + changes.at(i);
        if (changes.size() > kShown)
            text += QStringLiteral("\n... and %1 more (see log.txt)").arg(changes.size() - kShown);
    }
    if (keptCopy.isEmpty())
        text += QStringLiteral("\n\nThe file as it was could not be kept.");
    else
        text += QStringLiteral("\n\nThe file as it was is kept as %1").arg(breakable(keptCopy));
    return text;
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
