#include "ConfigQuery.h"

#include "ConfigQueryTexts.h"

#include <QAbstractXmlNodeModel>
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
    QXmlQuery query;
    bool valid = false;
};

namespace {
const QString kFieldName = QStringLiteral("fieldName");
const QString kInstrumentId = QStringLiteral("instrumentId");
const QString kAgName = QStringLiteral("agName");
const QString kName = QStringLiteral("name");
const QString kInputDocument = QStringLiteral("inputDocument");

// A null QString makes a null item, which unbinds the variable: bind "" instead.
QXmlItem stringItem(const QString &text)
{
    return QXmlItem(text.isNull() ? QStringLiteral("") : text);
}

QString itemText(const QXmlItem &item)
{
    if (item.isAtomicValue())
        return item.toAtomicValue().toString();
    if (item.isNode()) {
        const QXmlNodeModelIndex index = item.toNodeModelIndex();
        return index.model() ? index.model()->stringValue(index) : QString();
    }
    return QString();
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
    } else if (document) {
        // Binding creates the resource loader that the section queries share, so the
        // document is parsed once.
        m_master.bindVariable(kInputDocument, document);
    }
}

ConfigQuery::~ConfigQuery() = default;

ConfigQuery::Compiled *ConfigQuery::compiled(int slot, const QString &text)
{
    std::unique_ptr<Compiled> &entry = m_slots[slot];
    if (!entry) {
        entry.reset(new Compiled{m_master, false});
        if (!text.isEmpty()) {
            // The variables must be bound before compiling so that their types are known.
            if (slot < SectionCount)
                entry->query.bindVariable(kFieldName, stringItem(QString()));
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

QString ConfigQuery::field(Section section, const QString &fieldName)
{
    if (section < 0 || section >= SectionCount)
        return QString();
    // Without a focus the range settings query has no document to read.
    if (m_mode == ModeFocus ? !m_hasConfigDocument : section == SectionRangeSettings)
        return QString();
    Compiled *c = compiled(section, configFieldQueryText(m_mode, section));
    if (!c->valid)
        return QString();
    c->query.bindVariable(kFieldName, stringItem(fieldName));
    bindVariables(c->query, section);
    QXmlResultItems result;
    c->query.evaluateTo(&result);
    QString text;
    for (QXmlItem item = result.next(); !item.isNull(); item = result.next())
        text += itemText(item);
    return result.hasError() ? QString() : text;
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
