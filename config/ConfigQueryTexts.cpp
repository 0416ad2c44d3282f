#include "ConfigQueryTexts.h"

#include <QVector>

namespace {

// The element that holds a section's fields; the first one where names repeat, so the
// first of duplicate instruments, audiogroups or contacts wins.
QVector<QString> buildSectionPaths(const QString &root)
{
    const QString instrument =
        QStringLiteral("(%1SystemConfig/Instruments/Instrument[@Name = $instrumentId])[1]").arg(root);
    return {
        QStringLiteral("(%1SystemConfig)[1]").arg(root),
        // The range settings have no input-document form.
        QStringLiteral("(SystemConfig/RangeSettings)[1]"),
        instrument,
        QStringLiteral("(%1/AudioGroups/AudioGroup[@SourceName = $agName])[1]").arg(instrument),
        QStringLiteral("(%1SystemConfig/SMTPConfig)[1]").arg(root),
        QStringLiteral("(%1SystemConfig/AlertContactsConfig/AlertContactConfig[@Name = $name])[1]")
            .arg(root),
        QStringLiteral("(%1SystemConfig/ReportConfig)[1]").arg(root),
    };
}

// One evaluation reads a whole section: the name and the text of each child element of
// the section element, in document order, as a flat list of strings. System fields take
// the element's own text nodes, the others its string value.
QVector<QString> buildFieldQueries(const QString &root)
{
    const QVector<QString> paths = buildSectionPaths(root);
    QVector<QString> queries;
    for (int section = 0; section < paths.size(); ++section) {
        const QString value = section == 0 ? QStringLiteral("string-join($c/text(), '')")
                                           : QStringLiteral("string($c)");
        queries.append(QStringLiteral("for $c in %1/* return (name($c), %2)")
                           .arg(paths.at(section), value));
    }
    return queries;
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

const QString &pick(const QVector<QString> &texts, int mode, int section)
{
    static const QString empty;
    return mode >= 0 && mode <= 1 && section >= 0 && section < texts.size() ? texts.at(section)
                                                                             : empty;
}

} // namespace

const QString &configFieldQueryText(int mode, int section)
{
    static const QVector<QString> focus = buildFieldQueries(QString());
    static const QVector<QString> input = buildFieldQueries(QStringLiteral("doc($inputDocument)/"));
    return pick(mode == 1 ? input : focus, mode, section);
}

const QString &configNameListQueryText(int mode, int section)
{
    static const QVector<QString> focus = buildNameQueries(QString());
    static const QVector<QString> input = buildNameQueries(QStringLiteral("doc($inputDocument)/"));
    return pick(mode == 1 ? input : focus, mode, section);
}
