#pragma once

#include "MimeContentFormatter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// One part of a MIME message: its header lines and its content in a transfer encoding. The
// text is built on first use and kept.
class MimePart : public QObject
{
    Q_OBJECT
public:
    enum Encoding { SevenBit = 0, EightBit = 1, Base64 = 2, QuotedPrintable = 3 };
    Q_ENUM(Encoding)

    explicit MimePart(QObject *parent = nullptr);
    ~MimePart() override;

    // The part's text, prepared on the first call.
    virtual QString toString();
    virtual void prepare();

    void setHeader(const QString &header) { m_header = header; }
    QString getHeader() const { return m_header; }
    void setContent(const QByteArray &content) { m_content = content; }
    QByteArray getContent() const { return m_content; }
    void setContentId(const QString &id) { m_contentId = id; }
    QString getContentId() const { return m_contentId; }
    void setContentName(const QString &name) { m_contentName = name; }
    QString getContentName() const { return m_contentName; }
    void setContentType(const QString &type) { m_contentType = type; }
    QString getContentType() const { return m_contentType; }
    void setCharset(const QString &charset) { m_contentCharset = charset; }
    QString getCharset() const { return m_contentCharset; }
    void setEncoding(Encoding encoding) { m_encoding = encoding; }
    Encoding getEncoding() const { return m_encoding; }
    MimeContentFormatter &getContentFormatter() { return m_formatter; }

protected:
    QString m_header;
    QByteArray m_content;
    QString m_contentId;
    QString m_contentName;
    QString m_contentType;
    QString m_contentCharset;
    QString m_contentBoundary;
    Encoding m_encoding = SevenBit;
    QString m_mimeString;
    bool m_prepared = false;
    MimeContentFormatter m_formatter;
};
