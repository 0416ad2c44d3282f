#pragma once

#include <QByteArray>
#include <QString>

// Every meter reply goes through these two before a reader parses its text; the data
// reply of the usual form is read from its bytes instead (DataReplyReader).

// A reply body as received: UTF-8 (a byte-order mark is kept as U+FEFF for
// replyDocumentText to drop).
QString decodeReplyBody(const QByteArray &body);

// The document a reply reader parses: the body without a byte-order mark and without an
// XML declaration of its own, behind the program's declaration. Meters may or may not
// send a declaration; a second one would be a fatal XML error.
QString replyDocumentText(const QString &body);
// Where the part of the body that follows the program's declaration in replyDocumentText
// begins.
int replyDocumentStart(const QString &body);
