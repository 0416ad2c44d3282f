#include "ConfigQueryTexts.h"

#include <QVector>

namespace {

// Each field query takes the first matching section element and the first matching
// field element, so the first of duplicate names wins and a field never reads two values.
QVector<QString> buildFieldQueries(const QString &root)
{
    const QString field = QStringLiteral("/*[ends-with(name(), $fieldName)])[1]");
    const QString instrument =
        QStringLiteral("(%1SystemConfig/Instruments/Instrument[@Name = $instrumentId])[1]").arg(root);
    return {
        QStringLiteral("(%1SystemConfig%2/text()").arg(root, field),
        // The range settings have no input-document form.
        QStringLiteral("(SystemConfig/RangeSettings%1/string()").arg(field),
        QStringLiteral("(%1%2/string()").arg(instrument, field),
        QStringLiteral("((%1/AudioGroups/AudioGroup[@SourceName = $agName])[1]%2/string()")
            .arg(instrument, field),
        QStringLiteral("((%1SystemConfig/SMTPConfig)[1]%2/string()").arg(root, field),
        QStringLiteral("((%1SystemConfig/AlertContactsConfig/AlertContactConfig[@Name = $name])[1]"
                       "%2/string()")
            .arg(root, field),
        QStringLiteral("((%1SystemConfig/ReportConfig)[1]%2/string()").arg(root, field),
    };
}

QVector<QString> buildNameQueries(const QString &root)
{
    return {
        QString(),
        QString(),
        QStringLiteral("%1SystemConfig/Instruments/Instrument/ @Name/string()").arg(root),
        QStringLiteral("(%1SystemConfig/Instruments/Instrument[@Name = $instrumentId])[1]"
                       "/AudioGroups/AudioGroup/@SourceName/string()")
            .arg(root),
        QString(),
        QStringLiteral("%1SystemConfig/AlertContactsConfig/AlertContactConfig/ @Name/string()")
            .arg(root),
        QString(),
    };
}

const QString &pick(const QVector<QString> &texts, int section)
{
    static const QString empty;
    return section >= 0 && section < texts.size() ? texts.at(section) : empty;
}

} // namespace

const QString &configFieldQueryText(int mode, int section)
{
    static const QVector<QString> focus = buildFieldQueries(QString());
    static const QVector<QString> input = buildFieldQueries(QStringLiteral("doc($inputDocument)/"));
    static const QString empty;
    if (mode == 0)
        return pick(focus, section);
    if (mode == 1)
        return pick(input, section);
    return empty;
}

const QString &configNameListQueryText(int mode, int section)
{
    static const QVector<QString> focus = buildNameQueries(QString());
    static const QVector<QString> input = buildNameQueries(QStringLiteral("doc($inputDocument)/"));
    static const QString empty;
    if (mode == 0)
        return pick(focus, section);
    if (mode == 1)
        return pick(input, section);
    return empty;
}
