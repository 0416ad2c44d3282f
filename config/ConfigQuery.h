#pragma once

#include <QAbstractMessageHandler>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlQuery>

#include <memory>

class QIODevice;

// Prints query and parse errors of the configuration reader to the debug output.
class MsgHandler : public QAbstractMessageHandler
{
    Q_OBJECT
public:
    using QAbstractMessageHandler::QAbstractMessageHandler;

protected:
    void handleMessage(QtMsgType type, const QString &description, const QUrl &identifier,
                       const QSourceLocation &sourceLocation) override;
};

// The XQuery side of the configuration reader over one document. Each section's query is
// compiled once and evaluated again with new variable bindings, and one evaluation reads
// all fields of a record: an evaluation costs about 10 us before it reads anything.
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

    // ModeFocus parses the document at once (with the handler, when given);
    // ModeInputDocument binds it to $inputDocument and parses it on first use.
    ConfigQuery(QIODevice *document, Mode mode, QAbstractMessageHandler *handler = nullptr);
    ~ConfigQuery();
    ConfigQuery(const ConfigQuery &) = delete;
    ConfigQuery &operator=(const ConfigQuery &) = delete;

    Mode mode() const { return m_mode; }
    // ModeFocus: the document was parsed and its root is "SystemConfig".
    bool hasConfigDocument() const { return m_hasConfigDocument; }

    void bindInstrumentId(const QString &name) { m_instrumentId = name; }
    void bindAgName(const QString &name) { m_agName = name; }
    void bindContactName(const QString &name) { m_contactName = name; }

    // The texts of fields of a section, one per name, read in one evaluation; a text is
    // empty when its element is missing or empty.
    QStringList fields(Section section, const QStringList &fieldNames);
    QString field(Section section, const QString &fieldName);
    // A name list (SectionInstrument, SectionAudioGroup, SectionContact), document order.
    QStringList names(Section section);

private:
    struct Compiled;
    Compiled *compiled(int slot, const QString &text);
    void bindVariables(QXmlQuery &query, int section);

    Mode m_mode;
    QXmlQuery m_master;
    QByteArray m_documentBytes;
    bool m_hasConfigDocument = false;
    QString m_instrumentId;
    QString m_agName;
    QString m_contactName;
    std::unique_ptr<Compiled> m_slots[2 * SectionCount];
};
