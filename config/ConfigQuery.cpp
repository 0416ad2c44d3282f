#include "ConfigQuery.h"

#include <QDebug>
#include <QIODevice>
#include <QRegularExpression>
#include <QSourceLocation>

void MsgHandler::handleMessage(QtMsgType, const QString &description, const QUrl &,
                               const QSourceLocation &sourceLocation)
{
    qDebug().noquote() << QStringLiteral("Parse error ") + description;
    if (!m_first.isEmpty())
        return;
    // The description comes as XHTML.
    const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    QString text = QString(description).remove(tags);
    text.replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    m_first = sourceLocation.line() > 0 ? QStringLiteral("%1 (line %2, column %3)")
                                              .arg(text.trimmed())
                                              .arg(sourceLocation.line())
                                              .arg(sourceLocation.column())
                                        : text.trimmed();
}

namespace {

// Each query gives a flat list of strings. A section: name and text of each child of the
// section element. System fields take the element's own text nodes, the others its
// string value.
const QString &sectionQueryText(int section)
{
    static const QString texts[ConfigQuery::SectionCount] = {
        QStringLiteral(
            "for $c in (SystemConfig)[1]/* return (name($c), string-join($c/text(), ''))"),
        QStringLiteral("for $c in (SystemConfig/RangeSettings)[1]/* return (name($c), string($c))"),
        QString(),
        QString(),
        QStringLiteral("for $c in (SystemConfig/SMTPConfig)[1]/* return (name($c), string($c))"),
        QString(),
        QStringLiteral("for $c in (SystemConfig/ReportConfig)[1]/* return (name($c), string($c))"),
    };
    return texts[section];
}

// Per instrument with a Name: the Name, the number of children, name and text of each,
// the number of audiogroups with a SourceName, and per audiogroup the SourceName, the
// number of children, name and text of each.
const QString kInstrumentsQuery = QStringLiteral(
    "for $i in SystemConfig/Instruments/Instrument[@Name] return ("
    "string($i/@Name), string(count($i/*)), for $c in $i/* return (name($c), string($c)), "
    "string(count($i/AudioGroups/AudioGroup[@SourceName])), "
    "for $a in $i/AudioGroups/AudioGroup[@SourceName] return ("
    "string($a/@SourceName), string(count($a/*)), "
    "for $c in $a/* return (name($c), string($c))))");

// Per contact with a Name: the Name, the number of children, name and text of each.
const QString kContactsQuery = QStringLiteral(
    "for $k in SystemConfig/AlertContactsConfig/AlertContactConfig[@Name] return ("
    "string($k/@Name), string(count($k/*)), for $c in $k/* return (name($c), string($c)))");

// Reads the flat lists above.
class ListReader
{
public:
    explicit ListReader(const QStringList &list) : m_list(list) {}
    bool atEnd() const { return m_pos >= m_list.size(); }
    bool text(QString &out)
    {
        if (atEnd())
            return false;
        out = m_list.at(m_pos++);
        return true;
    }
    bool count(int &out)
    {
        QString t;
        bool ok = false;
        out = text(t) ? t.toInt(&ok) : -1;
        return ok && out >= 0;
    }
    bool pairs(QStringList &out)
    {
        int n = 0;
        if (!count(n) || n > (m_list.size() - m_pos) / 2)
            return false;
        out = m_list.mid(m_pos, 2 * n);
        m_pos += 2 * n;
        return true;
    }

private:
    const QStringList &m_list;
    int m_pos = 0;
};

bool startsAt(const QByteArray &bytes, int pos, const char *what)
{
    const int len = int(qstrlen(what));
    return pos + len <= bytes.size() && qstrncmp(bytes.constData() + pos, what, uint(len)) == 0;
}

} // namespace

QString configDocumentShapeProblem(const QByteArray &bytes)
{
    if (bytes.size() > ConfigQuery::kMaxDocumentBytes)
        return QStringLiteral("it is larger than %1 bytes").arg(ConfigQuery::kMaxDocumentBytes);
    if (bytes.contains('\0'))
        return QStringLiteral("it holds a NUL byte and is no UTF-8 text");
    const int n = bytes.size();
    const char *p = bytes.constData();
    int depth = 0;
    // Markup is skipped as the parser would; an unterminated construct ends the scan and
    // is left to the parser to report.
    for (int i = 0; i < n; ++i) {
        if (p[i] != '<' || i + 1 >= n)
            continue;
        int end = -1;
        if (startsAt(bytes, i, "<!--")) {
            end = bytes.indexOf("-->", i + 4);
        } else if (startsAt(bytes, i, "<![CDATA[")) {
            end = bytes.indexOf("]]>", i + 9);
        } else if (p[i + 1] == '!') {
            return QStringLiteral("it holds a document type declaration");
        } else if (p[i + 1] == '?') {
            end = bytes.indexOf("?>", i + 2);
        } else if (p[i + 1] == '/') {
            --depth;
            end = bytes.indexOf('>', i + 2);
        } else {
            int attributes = 0;
            char quote = 0;
            for (end = i + 1; end < n; ++end) {
                const char c = p[end];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++attributes > ConfigQuery::kMaxAttributes)
                        return QStringLiteral("an element has more than %1 attributes")
                            .arg(ConfigQuery::kMaxAttributes);
                } else if (c == '>') {
                    break;
                }
            }
            if (end >= n)
                return QString();
            if (p[end - 1] != '/' && ++depth > ConfigQuery::kMaxDepth)
                return QStringLiteral("its elements nest deeper than %1 levels")
                    .arg(ConfigQuery::kMaxDepth);
        }
        if (end < 0)
            return QString();
        i = end;
    }
    return QString();
}

ConfigQuery::ConfigQuery(QIODevice *document, Mode mode) : m_mode(mode)
{
    m_query.setMessageHandler(&m_handler);
    if (!document || !document->isOpen()) {
        m_problem = QStringLiteral("it cannot be opened");
        return;
    }
    const QByteArray bytes = document->read(kMaxDocumentBytes + 1);
    if (bytes.trimmed().isEmpty()) {
        m_problem = QStringLiteral("it is empty");
        return;
    }
    m_problem = configDocumentShapeProblem(bytes);
    if (!m_problem.isEmpty())
        return;
    m_document.setData(bytes);
    m_document.open(QIODevice::ReadOnly);
    QStringList root;
    if (!m_query.setFocus(&m_document)) {
        m_problem = QStringLiteral("it is not well-formed XML");
    } else {
        m_query.setQuery(QStringLiteral("(string(exists(SystemConfig)), name(/*[1]))"));
        if (!m_query.isValid() || !m_query.evaluateTo(&root) || root.size() != 2)
            m_problem = QStringLiteral("it cannot be queried");
        else if (root.at(0) != QLatin1String("true"))
            m_problem =
                QStringLiteral("its root element is \"%1\", not \"SystemConfig\"").arg(root.at(1));
    }
    if (!m_problem.isEmpty() && !m_handler.firstMessage().isEmpty())
        m_problem += QStringLiteral(": ") + m_handler.firstMessage();
}

bool ConfigQuery::evaluate(const QString &text, QStringList &out)
{
    out.clear();
    if (!hasConfigDocument() || text.isEmpty())
        return false;
    m_query.setQuery(text);
    if (!m_query.isValid() || !m_query.evaluateTo(&out)) {
        out.clear();
        return false;
    }
    return true;
}

const QStringList *ConfigQuery::sectionFields(Section section)
{
    // The range settings have no input-document form.
    if (m_mode == ModeInputDocument && section == SectionRangeSettings)
        return nullptr;
    if (!m_sectionRead[section]) {
        m_sectionRead[section] = true;
        if (!evaluate(sectionQueryText(section), m_sections[section]) ||
            m_sections[section].size() % 2 != 0)
            m_sections[section].clear();
    }
    return &m_sections[section];
}

void ConfigQuery::loadInstruments()
{
    if (m_instrumentsRead)
        return;
    m_instrumentsRead = true;
    QStringList list;
    if (!evaluate(kInstrumentsQuery, list))
        return;
    ListReader reader(list);
    while (!reader.atEnd()) {
        Instrument instrument;
        QString name;
        int agCount = 0;
        if (!reader.text(name) || !reader.pairs(instrument.fields) || !reader.count(agCount))
            return;
        for (int a = 0; a < agCount; ++a) {
            QString sourceName;
            QStringList fields;
            if (!reader.text(sourceName) || !reader.pairs(fields))
                return;
            if (!instrument.ags.contains(sourceName)) {
                instrument.agOrder.append(sourceName);
                instrument.ags.insert(sourceName, fields);
            }
        }
        if (!m_instruments.contains(name)) {
            m_instrumentOrder.append(name);
            m_instruments.insert(name, instrument);
        }
    }
}

void ConfigQuery::loadContacts()
{
    if (m_contactsRead)
        return;
    m_contactsRead = true;
    QStringList list;
    if (!evaluate(kContactsQuery, list))
        return;
    ListReader reader(list);
    while (!reader.atEnd()) {
        QString name;
        QStringList fields;
        if (!reader.text(name) || !reader.pairs(fields))
            return;
        if (!m_contacts.contains(name)) {
            m_contactOrder.append(name);
            m_contacts.insert(name, fields);
        }
    }
}

QStringList ConfigQuery::fields(Section section, const QStringList &fieldNames)
{
    QStringList values;
    for (int i = 0; i < fieldNames.size(); ++i)
        values.append(QString());
    const QStringList *pairs = nullptr;
    switch (section) {
    case SectionSystem:
    case SectionRangeSettings:
    case SectionSmtp:
    case SectionReport:
        pairs = sectionFields(section);
        break;
    case SectionInstrument:
    case SectionAudioGroup: {
        loadInstruments();
        const auto instrument = m_instruments.constFind(m_instrumentId);
        if (instrument == m_instruments.constEnd())
            break;
        if (section == SectionInstrument) {
            pairs = &instrument->fields;
        } else {
            const auto ag = instrument->ags.constFind(m_agName);
            if (ag != instrument->ags.constEnd())
                pairs = &*ag;
        }
        break;
    }
    case SectionContact: {
        loadContacts();
        const auto contact = m_contacts.constFind(m_contactName);
        if (contact != m_contacts.constEnd())
            pairs = &*contact;
        break;
    }
    default:
        break;
    }
    if (!pairs)
        return values;
    // An element whose name matches no field is ignored.
    for (int f = 0; f < fieldNames.size(); ++f) {
        for (int i = 0; i < pairs->size(); i += 2) {
            if (pairs->at(i).endsWith(fieldNames.at(f))) {
                values[f] = pairs->at(i + 1);
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
    switch (section) {
    case SectionInstrument:
        loadInstruments();
        return m_instrumentOrder;
    case SectionAudioGroup:
        loadInstruments();
        return m_instruments.value(m_instrumentId).agOrder;
    case SectionContact:
        loadContacts();
        return m_contactOrder;
    default:
        return {};
    }
}
