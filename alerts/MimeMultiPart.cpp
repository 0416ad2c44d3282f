#include "MimeMultiPart.h"

#include <QRandomGenerator>

namespace {

const char *typeName(MimeMultiPart::MultiPartType type)
{
    switch (type) {
    case MimeMultiPart::Mixed:
        return "multipart/mixed";
    case MimeMultiPart::Digest:
        return "multipart/digest";
    case MimeMultiPart::Alternative:
        return "multipart/alternative";
    case MimeMultiPart::Related:
        break;
    case MimeMultiPart::Report:
        return "multipart/report";
    case MimeMultiPart::Signed:
        return "multipart/signed";
    case MimeMultiPart::Encrypted:
        return "multipart/encrypted";
    }
    return "multipart/related";
}

} // namespace

MimeMultiPart::MimeMultiPart(MultiPartType type, QObject *parent) : MimePart(parent)
{
    setMimeType(type);
    m_encoding = EightBit;
    m_contentBoundary = newBoundary();
}

MimeMultiPart::~MimeMultiPart() = default;

QString MimeMultiPart::newBoundary()
{
    // 32 lower-case hexadecimal digits from 128 random bits.
    quint32 words[4];
    QRandomGenerator::global()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex());
}

void MimeMultiPart::addPart(MimePart *part)
{
    m_parts.append(part);
}

void MimeMultiPart::setMimeType(MultiPartType type)
{
    m_type = type;
    m_contentType = QLatin1String(typeName(type));
}

void MimeMultiPart::prepare()
{
    QStringList texts;
    for (MimePart *part : qAsConst(m_parts))
        texts << part->toString();
    // RFC 2046 5.1.1: the boundary must not occur in any part.
    auto occursInParts = [&texts](const QString &boundary) {
        for (const QString &text : qAsConst(texts)) {
            if (text.contains(QLatin1String("--") + boundary))
                return true;
        }
        return false;
    };
    while (occursInParts(m_contentBoundary))
        m_contentBoundary = newBoundary();

    const QString delimiter = QLatin1String("--") + m_contentBoundary;
    QString body;
    for (const QString &text : qAsConst(texts))
        body += delimiter + QLatin1String("\r\n") + text;
    body += delimiter + QLatin1String("--\r\n");
    m_content = body.toUtf8();
    MimePart::prepare();
}
