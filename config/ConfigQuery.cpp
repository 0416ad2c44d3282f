#include "ConfigQuery.h"

#include "ConfigQueryTexts.h"

#include <QBuffer>
#include <QDebug>
#include <QIODevice>
#include <QXmlItem>
#include <QXmlResultItems>

void MsgHandler::handleMessage(QtMsgType, const QString &description, const QUrl &,
                               const QSourceLocation &)
{
    qDebug().noquote() << QStringLiteral("Parse error ") + description;
}

struct ConfigQuery::Compiled {
    explicit Compiled(const QXmlQuery &master) : query(master) {}
    QXmlQuery query;
    bool valid = false;
    QBuffer document;
};

namespace {
const QString kInstrumentId = QStringLiteral("instrumentId");
const QString kAgName = QStringLiteral("agName");
const QString kName = QStringLiteral("name");
const QString kInputDocument = QStringLiteral("inputDocument");

// A null QString makes a null item, which unbinds the variable: bind "" instead.
QXmlItem stringItem(const QString &text)
{
    return QXmlItem(text.isNull() ? QStringLiteral("") : text);
}

} // namespace

ConfigQuery::ConfigQuery(QIODevice *document, Mode mode, QAbstractMessageHandler *handler)
    : m_mode(mode)
{
    if (handler)
        m_master.setMessageHandler(handler);
    if (mode == ModeFocus) {
        if (document && document->isOpen() && m_master.setFocus(document)) {
            QXmlQuery probe(m_master);
            probe.setQuery(QStringLiteral("exists(SystemConfig)"));
            QXmlResultItems result;
            if (probe.isValid()) {
                probe.evaluateTo(&result);
                const QXmlItem item = result.next();
                m_hasConfigDocument = item.isAtomicValue() && item.toAtomicValue().toBool();
            }
        }
    } else if (document && document->isOpen()) {
        // Each compiled query binds a device of its own (bindings are not copied).
        m_documentBytes = document->readAll();
    }
}

ConfigQuery::~ConfigQuery() = default;

ConfigQuery::Compiled *ConfigQuery::compiled(int slot, const QString &text)
{
    std::unique_ptr<Compiled> &entry = m_slots[slot];
    if (!entry) {
        entry.reset(new Compiled(m_master));
        if (m_mode == ModeInputDocument) {
            entry->document.setData(m_documentBytes);
            entry->document.open(QIODevice::ReadOnly);
            entry->query.bindVariable(kInputDocument, &entry->document);
        }
        if (!text.isEmpty()) {
            // The variables must be bound before compiling so that their types are known.
            bindVariables(entry->query, slot % SectionCount);
            entry->query.setQuery(text);
            entry->valid = entry->query.isValid();
        }
    }
    return entry.get();
}

void ConfigQuery::bindVariables(QXmlQuery &query, int section)
{
    switch (section) {
    case SectionInstrument:
        query.bindVariable(kInstrumentId, stringItem(m_instrumentId));
        break;
    case SectionAudioGroup:
        query.bindVariable(kInstrumentId, stringItem(m_instrumentId));
        query.bindVariable(kAgName, stringItem(m_agName));
        break;
    case SectionContact:
        query.bindVariable(kName, stringItem(m_contactName));
        break;
    default:
        break;
    }
}

QStringList ConfigQuery::fields(Section section, const QStringList &fieldNames)
{
    QStringList values;
    for (int i = 0; i < fieldNames.size(); ++i)
        values.append(QString());
    if (section < 0 || section >= SectionCount || fieldNames.isEmpty())
        return values;
    // Without a focus the range settings query has no document to read.
    if (m_mode == ModeFocus ? !m_hasConfigDocument : section == SectionRangeSettings)
        return values;
    Compiled *c = compiled(section, configFieldQueryText(m_mode, section));
    if (!c->valid)
        return values;
    bindVariables(c->query, section);
    QStringList pairs;
    if (!c->query.evaluateTo(&pairs) || pairs.size() % 2 != 0)
        return values;
    // A field is the first child whose name ends with the field's name; an element
    // whose name matches no field is ignored.
    for (int f = 0; f < fieldNames.size(); ++f) {
        for (int i = 0; i < pairs.size(); i += 2) {
            if (pairs.at(i).endsWith(fieldNames.at(f))) {
                values[f] = pairs.at(i + 1);
                break;
            }
        }
    }
    return values;
}

QString ConfigQuery::field(Section section, const QString &fieldName)
{
    return fields(section, QStringList(fieldName)).constFirst();
}

QStringList ConfigQuery::names(Section section)
{
    if (section < 0 || section >= SectionCount || (m_mode == ModeFocus && !m_hasConfigDocument))
        return {};
    Compiled *c = compiled(SectionCount + section, configNameListQueryText(m_mode, section));
    if (!c->valid)
        return {};
    bindVariables(c->query, section);
    QStringList list;
    if (!c->query.evaluateTo(&list))
        return {};
    return list;
}
