#include "ReplyText.h"

#include "core/XMLTag.h"

QString decodeReplyBody(const QByteArray &body) { return QString::fromUtf8(body); }

QString replyDocumentText(const QString &body)
{
    return QLatin1String(kXmlDeclaration) + body.midRef(replyDocumentStart(body));
}

int replyDocumentStart(const QString &body)
{
    int pos = 0;
    const int n = body.size();
    if (pos < n && body.at(pos) == QChar(0xFEFF))
        ++pos;
    int start = pos;
    while (start < n && (body.at(start) == QLatin1Char(' ') || body.at(start) == QLatin1Char('\t') ||
                         body.at(start) == QLatin1Char('\r') || body.at(start) == QLatin1Char('\n')))
        ++start;
    // "<?xml" followed by white space; "<?xml-stylesheet" and the like are other
    // processing instructions and stay.
    if (body.midRef(start, 5) == QLatin1String("<?xml") && start + 5 < n &&
        body.at(start + 5).isSpace()) {
        const int end = body.indexOf(QLatin1String("?>"), start + 5);
        if (end >= 0)
            pos = end + 2;
    }
    return pos;
}
