#pragma once

#include <QAbstractMessageHandler>
#include <QBuffer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QXmlQuery>

class QIODevice;

// Prints query and parse errors of the configuration reader to the debug output and
// keeps the first one, so that the caller can log why a document was refused.
class MsgHandler : public QAbstractMessageHandler
{
    Q_OBJECT
public:
    using QAbstractMessageHandler::QAbstractMessageHandler;
    // The first message as plain text, with its line and column; empty when none came.
    QString firstMessage() const { return m_first; }
    void clear() { m_first.clear(); }

protected:
    void handleMessage(QtMsgType type, const QString &description, const QUrl &identifier,
                       const QSourceLocation &sourceLocation) override;

private:
    QString m_first;
};

// The XQuery side of the configuration reader over one document. The document is checked
// and parsed once; each section is then read by one evaluation (the instruments with
// their audiogroups by one, the contacts by one), so reading costs time in proportion to
// the document whatever it holds. Where names repeat, the first instrument, audiogroup or
// contact of a name is the one read.
class ConfigQuery
{
public:
    enum Mode { ModeFocus = 0, ModeInputDocument = 1 };
    enum Section {
        SectionSystem = 0,
        SectionRangeSettings = 1,
        SectionInstrument = 2,
        SectionAudioGroup = 3,
        SectionSmtp = 4,
        SectionContact = 5,
        SectionReport = 6,
        SectionCount = 7
    };

    // Bounds on a document before it is parsed. Every configuration the program writes
    // stays far below them; the parser needs time that grows with the square of the
    // attributes of one element and of the nesting depth.
    static constexpr qint64 kMaxDocumentBytes = 4 * 1024 * 1024;
    static constexpr int kMaxDepth = 64;
    static constexpr int kMaxAttributes = 64;

    // Reads the open device whole. ModeInputDocument has no range settings to read.
    ConfigQuery(QIODevice *document, Mode mode);
    ConfigQuery(const ConfigQuery &) = delete;
    ConfigQuery &operator=(const ConfigQuery &) = delete;

    Mode mode() const { return m_mode; }
    // The document was read, parsed, and its root is "SystemConfig".
    bool hasConfigDocument() const { return m_problem.isEmpty(); }
    // Why it is not: empty when it is.
    QString problem() const { return m_problem; }

    void bindInstrumentId(const QString &name) { m_instrumentId = name; }
    void bindAgName(const QString &name) { m_agName = name; }
    void bindContactName(const QString &name) { m_contactName = name; }

    // The texts of fields of a section, one per name; a text is empty when its element
    // is missing or empty. A field is read from the first child of the section element
    // whose name ends with the field's name.
    QStringList fields(Section section, const QStringList &fieldNames);
    QString field(Section section, const QString &fieldName);
    // A name list (SectionInstrument, SectionAudioGroup of the bound instrument,
    // SectionContact), in document order, each name once.
    QStringList names(Section section);

private:
    struct Instrument
    {
        QStringList fields;
        QStringList agOrder;
        QHash<QString, QStringList> ags;
    };

    bool evaluate(const QString &text, QStringList &out);
    const QStringList *sectionFields(Section section);
    void loadInstruments();
    void loadContacts();

    Mode m_mode;
    MsgHandler m_handler;
    QBuffer m_document;
    QXmlQuery m_query;
    QString m_problem;
    QString m_instrumentId;
    QString m_agName;
    QString m_contactName;

    // Name and text of each child of a section element, flat; read on first use.
    QStringList m_sections[SectionCount];
    bool m_sectionRead[SectionCount] = {};
    bool m_instrumentsRead = false;
    QStringList m_instrumentOrder;
    QHash<QString, Instrument> m_instruments;
    bool m_contactsRead = false;
    QStringList m_contactOrder;
    QHash<QString, QStringList> m_contacts;
};

// Why bytes cannot be a configuration document, checked without parsing them: larger
// than kMaxDocumentBytes, a NUL byte (not UTF-8), a document type declaration (entities),
// nesting deeper than kMaxDepth or an element with more than kMaxAttributes attributes.
// Empty when none of these holds.
QString configDocumentShapeProblem(const QByteArray &bytes);
