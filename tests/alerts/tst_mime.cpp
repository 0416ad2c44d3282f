#include "MailTestUtil.h"

#include <EmailAddress.h>
#include <KivTest.h>
#include <MimeAttachment.h>
#include <MimeContentFormatter.h>
#include <MimeEncoding.h>
#include <MimeHtml.h>
#include <MimeMessage.h>
#include <MimeMultiPart.h>
#include <MimeText.h>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <string>

using namespace MailTestUtil;

class TestMime : public QObject
{
    Q_OBJECT
private slots:
    void quotedPrintableVectors_data();
    void quotedPrintableVectors();
    void quotedPrintableFolding_data();
    void quotedPrintableFolding();
    void base64Vectors_data();
    void base64Vectors();
    void base64FileFolding();
    void partLayout();
    void multipartBoundaries();
    void messageHeaders_data();
    void messageHeaders();
    void dateHeader_data();
    void dateHeader();
    void headerNamesSurviveEncoding_data();
    void headerNamesSurviveEncoding();
    void textIsUtf8EndToEnd();
    void longLinesStayWithinLimit_data();
    void longLinesStayWithinLimit();
};

void TestMime::quotedPrintableVectors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("equals sign escaped, blank kept") << QByteArray("a=b c") << "a=3Db c";
    QTest::newRow("line ends escaped") << QByteArray("x\r\ny\n") << "x=0D=0Ay=0A";
    QTest::newRow("edges of printable") << QByteArray("\x1f ~\x7f") << "=1F ~=7F";
    QTest::newRow("8-bit bytes upper-case hex") << QByteArray("\xc3\xa9\xff") << "=C3=A9=FF";
    QTest::newRow("tab escaped") << QByteArray("a\tb") << "a=09b";
    QTest::newRow("trailing blank escaped") << QByteArray("end ") << "end=20";
    QTest::newRow("empty") << QByteArray() << "";
}

void TestMime::quotedPrintableVectors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoded);
    QCOMPARE(encodeQuotedPrintable(bytes), encoded);
    QCOMPARE(decodeQuotedPrintable(encoded.toLatin1()), bytes);
}

void TestMime::quotedPrintableFolding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray allEscapes;
    for (int i = 0; i < 400; ++i)
        allEscapes += char(0x80 + i % 100);
    QTest::newRow("only escapes") << allEscapes;
    QTest::newRow("long plain text") << QByteArray(500, 'x');
    // An escape starting at every column around the line end.
    for (int lead = 70; lead <= 77; ++lead)
        QTest::addRow("escape after %d plain", lead)
            << (QByteArray(lead, 'a') + "=\xe9=" + QByteArray(200, 'b'));
    QTest::newRow("mixed utf-8 text")
        << QStringLiteral("Überschreitung der Lautheit — Studio A · %1")
               .arg(QString(300, QChar(0x4e2d)))
               .toUtf8();
}

void TestMime::quotedPrintableFolding()
{
    QFETCH(QByteArray, bytes);
    const QString folded = MimeContentFormatter(76).format(encodeQuotedPrintable(bytes), true);
    const QStringList lines = folded.split(QStringLiteral("\r\n"));
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        QVERIFY2(line.size() <= 76, qPrintable(line));
        if (i + 1 < lines.size())
            QVERIFY2(line.endsWith(QLatin1Char('=')), qPrintable(line));
        // No escape is split: every "=" but the soft break has two hex digits after it.
        const QString body = i + 1 < lines.size() ? line.chopped(1) : line;
        QVERIFY2(!body.contains(QRegularExpression(QStringLiteral("=(?![0-9A-F]{2})"))),
                 qPrintable(line));
    }
    QCOMPARE(decodeQuotedPrintable(folded.toLatin1()), bytes);
}

void TestMime::base64Vectors_data()
{
    // RFC 4648 10.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("f") << QByteArray("f") << QByteArray("Zg==");
    QTest::newRow("fo") << QByteArray("fo") << QByteArray("Zm8=");
    QTest::newRow("foo") << QByteArray("foo") << QByteArray("Zm9v");
    QTest::newRow("foob") << QByteArray("foob") << QByteArray("Zm9vYg==");
    QTest::newRow("fooba") << QByteArray("fooba") << QByteArray("Zm9vYmE=");
    QTest::newRow("foobar") << QByteArray("foobar") << QByteArray("Zm9vYmFy");
    QTest::newRow("57 bytes fill one line") << QByteArray(57, '\xff') << QByteArray(76, '/');
    QTest::newRow("58 bytes start a second")
        << QByteArray(58, '\xff') << QByteArray(76, '/') + "\r\n/w==";
}

void TestMime::base64Vectors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoded);
    MimePart part;
    part.setContentType(QStringLiteral("application/octet-stream"));
    part.setEncoding(MimePart::Base64);
    part.setContent(bytes);
    const Entity entity = parseEntity(part.toString().toLatin1());
    QCOMPARE(entity.header("Content-Transfer-Encoding"), QByteArray("base64"));
    QCOMPARE(entity.body, encoded + "\r\n");
}

void TestMime::base64FileFolding()
{
    QTemporaryDir dir;
    QByteArray bytes;
    for (int i = 0; i < 100; ++i)
        bytes += char(i * 7);
    QFile out(dir.filePath(QStringLiteral("data.bin")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    MimeFile part(new QFile(out.fileName()));
    const Entity entity = parseEntity(part.toString().toLatin1());
    QVERIFY(entity.wellFormed);
    const QList<QByteArray> lines = entity.body.split('\n');
    // 136 characters: one line of 76 and one of 60, each ended by CRLF.
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0).size(), 77);
    QCOMPARE(lines.at(1).size(), 61);
    QCOMPARE(lines.at(2), QByteArray());
    QCOMPARE(QByteArray::fromBase64(entity.body), bytes);
    QCOMPARE(entity.header("Content-Type"),
             QByteArray("application/octet-stream; name=\"data.bin\""));
}

void TestMime::partLayout()
{
    MimeText text(QStringLiteral("Hello"));
    QCOMPARE(text.toString(), QStringLiteral("Content-Type: text/plain; charset=utf-8\r\n"
                                             "Content-Transfer-Encoding: 8bit\r\n"
                                             "\r\n"
                                             "Hello\r\n"));

    QTemporaryDir dir;
    QFile png(dir.filePath(QStringLiteral("logo.png")));
    QVERIFY(png.open(QIODevice::WriteOnly));
    png.write("\x89PNG");
    png.close();
    MimeAttachment logo(new QFile(png.fileName()));
    logo.setContentType(QStringLiteral("image/png"));
    logo.setContentId(QStringLiteral("NUVLogo"));
    logo.prepare();
    logo.prepare(); // prepared twice, the disposition line stays single
    QCOMPARE(logo.toString(), QStringLiteral("Content-Type: image/png; name=\"logo.png\"\r\n"
                                             "Content-Transfer-Encoding: base64\r\n"
                                             "Content-ID: <NUVLogo>\r\n"
                                             "Content-disposition: attachment\r\n"
                                             "\r\n"
                                             "iVBORw==\r\n"));

    // A file that cannot be read gives an empty part, and the mail still goes.
    MimeFile missing(new QFile(dir.filePath(QStringLiteral("gone.png"))));
    QVERIFY(missing.toString().endsWith(QLatin1String("\r\n\r\n\r\n")));
}

void TestMime::multipartBoundaries()
{
    MimeMultiPart multi(MimeMultiPart::Related);
    MimeText a(QStringLiteral("first"));
    MimeHtml b(QStringLiteral("<p>second</p>"));
    multi.addPart(&a);
    multi.addPart(&b);
    const QString boundary = multi.getBoundary();
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(boundary).hasMatch());

    const Entity entity = parseEntity(multi.toString().toUtf8());
    QCOMPARE(entity.header("Content-Type"), "multipart/related; boundary=" + boundary.toLatin1());
    QCOMPARE(entity.header("Content-Transfer-Encoding"), QByteArray("8bit"));
    QCOMPARE(entity.body.count("--" + boundary.toLatin1() + "\r\n"), 2);
    QCOMPARE(entity.body.count("--" + boundary.toLatin1() + "--\r\n"), 1);
    const QList<QByteArray> parts = splitMultipart(entity.body, boundary.toLatin1());
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parseEntity(parts.at(1)).header("Content-Type"),
             QByteArray("text/html; charset=utf-8"));

    // A part that holds the boundary gets the multipart a new one.
    MimeMultiPart clash(MimeMultiPart::Mixed);
    MimeText trap(QLatin1String("--") + clash.getBoundary());
    clash.addPart(&trap);
    const QString old = clash.getBoundary();
    const QByteArray text = clash.toString().toUtf8();
    QVERIFY(clash.getBoundary() != old);
    QCOMPARE(splitMultipart(parseEntity(text).body, clash.getBoundary().toLatin1()).size(), 1);
}

void TestMime::messageHeaders_data()
{
    QTest::addColumn<QString>("senderName");
    QTest::addColumn<QString>("recipientName");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("header");

    QTest::newRow("plain names as the design shows")
        << "Ann"
        << ""
        << "KIV Alert" << int(MimePart::EightBit)
        << "From: Ann <ann@example.org>\r\nTo: <bob@example.org>\r\n"
           "Subject: KIV Alert\r\nMIME-Version: 1.0\r\n";
    QTest::newRow("specials quoted")
        << "Smith, Ann (Studio \"A\")"
        << "J. Doe"
        << "Levels" << int(MimePart::EightBit)
        << "From: \"Smith, Ann (Studio \\\"A\\\")\" <ann@example.org>\r\n"
           "To: \"J. Doe\" <bob@example.org>\r\nSubject: Levels\r\nMIME-Version: 1.0\r\n";
    QTest::newRow("non-ASCII encoded as UTF-8 words")
        << "Zoë"
        << ""
        << "Lautheit über −23" << int(MimePart::EightBit)
        << "From: =?utf-8?B?Wm/Dqw==?= <ann@example.org>\r\nTo: <bob@example.org>\r\n"
           "Subject: =?utf-8?B?TGF1dGhlaXQgw7xiZXIg4oiSMjM=?=\r\nMIME-Version: 1.0\r\n";
    QTest::newRow("base64 header encoding")
        << "Ann"
        << "Bob"
        << "Hi" << int(MimePart::Base64)
        << "From: =?utf-8?B?QW5u?= <ann@example.org>\r\nTo: =?utf-8?B?Qm9i?= <bob@example.org>\r\n"
           "Subject: =?utf-8?B?SGk=?=\r\nMIME-Version: 1.0\r\n";
    QTest::newRow("Q header encoding escapes what a phrase cannot hold")
        << "Ann Lee"
        << ""
        << "a:b?=_c." << int(MimePart::QuotedPrintable)
        << "From: =?utf-8?Q?Ann_Lee?= <ann@example.org>\r\nTo: <bob@example.org>\r\n"
           "Subject: =?utf-8?Q?a=3Ab=3F=3D=5Fc=2E?=\r\nMIME-Version: 1.0\r\n";
    QTest::newRow("line breaks in names and subject become blanks")
        << "Ann\r\nBcc: eve@example.org"
        << "Bob\nX-Evil: 1"
        << "Hi\r\nBcc: eve@example.org" << int(MimePart::EightBit)
        << "From: \"Ann  Bcc: eve@example.org\" <ann@example.org>\r\n"
           "To: \"Bob X-Evil: 1\" <bob@example.org>\r\n"
           "Subject: Hi  Bcc: eve@example.org\r\nMIME-Version: 1.0\r\n";
}

void TestMime::messageHeaders()
{
    QFETCH(QString, senderName);
    QFETCH(QString, recipientName);
    QFETCH(QString, subject);
    QFETCH(int, encoding);
    QFETCH(QString, header);

    MimeMessage message(false);
    EmailAddress sender(QStringLiteral("ann@example.org"), senderName);
    EmailAddress recipient(QStringLiteral("bob@example.org"), recipientName);
    message.setSender(&sender);
    message.addRecipient(&recipient);
    message.setSubject(subject);
    message.setHeaderEncoding(MimePart::Encoding(encoding));
    message.setDate(QDateTime(QDate(2026, 12, 10), QTime(15, 29, 3), Qt::UTC));
    // RFC 5322 3.6.4: an id of this message's own, right of its "@" the sender's domain.
    const QString id = message.getMessageId();
    QVERIFY2(
        QRegularExpression(QStringLiteral("^[0-9a-f-]{36}@example\\.org$")).match(id).hasMatch(),
        qPrintable(id));
    QVERIFY(id != MimeMessage(false).getMessageId());
    header.replace(QStringLiteral("MIME-Version"),
                   QStringLiteral("Date: Thu, 10 Dec 2026 15:29:03 +0000\r\nMessage-ID: <%1>\r\n"
                                  "MIME-Version")
                       .arg(id));
    QCOMPARE(message.toString(), header + QStringLiteral("\r\n"));
}

void TestMime::dateHeader_data()
{
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("header");
    QTest::newRow("UTC") << QDateTime(QDate(2026, 12, 10), QTime(15, 29, 3), Qt::UTC)
                         << "Thu, 10 Dec 2026 15:29:03 +0000";
    QTest::newRow("west of UTC, one-digit day")
        << QDateTime(QDate(2027, 3, 1), QTime(0, 0, 59), Qt::OffsetFromUTC, -5 * 3600)
        << "Mon, 1 Mar 2027 00:00:59 -0500";
    QTest::newRow("half-hour offset")
        << QDateTime(QDate(2026, 5, 31), QTime(23, 5, 0), Qt::OffsetFromUTC, 5 * 3600 + 1800)
        << "Sun, 31 May 2026 23:05:00 +0530";
}

// English names whatever the user's locale, read back by a standard parser.
void TestMime::dateHeader()
{
    QFETCH(QDateTime, date);
    QFETCH(QString, header);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = MimeMessage::formatDate(date);
    QLocale::setDefault(before);
    QCOMPARE(text, header);
    const QDateTime parsed = QDateTime::fromString(text, Qt::RFC2822Date);
    QCOMPARE(parsed, date);
    QCOMPARE(parsed.offsetFromUtc(), date.offsetFromUtc());
}

void TestMime::headerNamesSurviveEncoding_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("subject");
    QTest::newRow("Greek and CJK")
        << QStringLiteral("Ηχοληψία 録音スタジオ") << QStringLiteral("Συναγερμός 警報");
    QTest::newRow("long non-ASCII name")
        << QString(120, QChar(0x00e9)) + QStringLiteral(" Studio")
        << QString::fromUcs4(std::u32string(200, U'\U0001F50A').c_str());
    QTest::newRow("long ASCII subject")
        << QStringLiteral("Studio A") << QStringLiteral("word ").repeated(300).trimmed();
    QTest::newRow("one huge ASCII word")
        << QString(1500, QLatin1Char('n')) << QString(2000, QLatin1Char('s'));
}

void TestMime::headerNamesSurviveEncoding()
{
    QFETCH(QString, name);
    QFETCH(QString, subject);
    MimeMessage message;
    EmailAddress sender(QStringLiteral("ann@example.org"), name);
    EmailAddress to1(QStringLiteral("bob@example.org"), name);
    EmailAddress cc(QStringLiteral("cc@example.org"), QStringLiteral("Copy"));
    EmailAddress bcc(QStringLiteral("hidden@example.org"), QStringLiteral("Hidden"));
    message.setSender(&sender);
    message.addRecipient(&to1);
    message.addRecipient(&cc, MimeMessage::Cc);
    message.addRecipient(&bcc, MimeMessage::Bcc);
    message.setSubject(subject);
    const QByteArray text = message.toString().toUtf8();

    QVERIFY(longestLine(text) <= 998);
    QCOMPARE(bareLineEnds(text), 0);
    const Entity entity = parseEntity(text);
    QVERIFY(entity.wellFormed);
    // The header is ASCII and every encoded word is at most 75 characters.
    const QByteArray head = text.left(text.indexOf("\r\n\r\n"));
    for (const char c : head)
        QVERIFY(uchar(c) < 0x80);
    const QRegularExpression word(QStringLiteral("=\\?utf-8\\?[BQ]\\?[^?]*\\?="));
    for (auto it = word.globalMatch(QString::fromLatin1(head)); it.hasNext();)
        QVERIFY(it.next().capturedLength() <= 75);

    QCOMPARE(decodeHeader(entity.header("Subject")), subject);
    QString from = decodeHeader(entity.header("From"));
    QCOMPARE(from, name + QStringLiteral(" <ann@example.org>"));
    QCOMPARE(decodeHeader(entity.header("Cc")), QStringLiteral("Copy <cc@example.org>"));
    QCOMPARE(entity.headerCount("Bcc"), 0);
    QVERIFY(!text.contains("hidden@example.org"));
}

void TestMime::textIsUtf8EndToEnd()
{
    const QString body = QStringLiteral("Студия 1: −24,0 LUFS · 録音");
    MimeText text(body);
    const QByteArray wire = text.toString().toUtf8(); // the client writes the text as UTF-8
    QVERIFY(wire.contains(body.toUtf8()));
    QVERIFY(!wire.contains('?'));

    text.setEncoding(MimePart::QuotedPrintable);
    MimeText qp(body);
    qp.setEncoding(MimePart::QuotedPrintable);
    const Entity entity = parseEntity(qp.toString().toLatin1());
    QCOMPARE(QString::fromUtf8(decodeQuotedPrintable(entity.body.chopped(2))), body);
}

void TestMime::longLinesStayWithinLimit_data()
{
    QTest::addColumn<bool>("html");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");
    QString rows;
    for (int i = 0; i < 400; ++i)
        rows += QStringLiteral("<tr><td>Alert %1</td><td>Studio Ω</td></tr>").arg(i);
    QTest::newRow("HTML table on one line")
        << true << QStringLiteral("<table>%1</table>").arg(rows) << "8bit";
    QTest::newRow("HTML text with blanks")
        << true << QStringLiteral("<p>%1</p>").arg(QStringLiteral("loud ").repeated(400)) << "8bit";
    QTest::newRow("HTML without a place to break")
        << true << QStringLiteral("<p>%1</p>").arg(QString(3000, QLatin1Char('x')))
        << "quoted-printable";
    QTest::newRow("plain text line")
        << false << QStringLiteral("y ").repeated(700) << "quoted-printable";
    QTest::newRow("short lines untouched")
        << true << QStringLiteral("<p>a</p>\r\n<p>b</p>\n") << "8bit";
}

void TestMime::longLinesStayWithinLimit()
{
    QFETCH(bool, html);
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    std::unique_ptr<MimeText> part(html ? new MimeHtml(text) : new MimeText(text));
    const QByteArray wire = part->toString().toUtf8();
    QVERIFY(longestLine(wire) <= 998);
    const Entity entity = parseEntity(wire);
    QCOMPARE(entity.header("Content-Transfer-Encoding"), encoding.toLatin1());
    QByteArray content = entity.body.chopped(2);
    if (encoding == QLatin1String("quoted-printable")) {
        content = decodeQuotedPrintable(content);
        QCOMPARE(QString::fromUtf8(content), text);
    } else {
        const QByteArray original = text.toUtf8();
        if (!original.contains('\n')) {
            // Only line breaks were added, each between tags or before a blank.
            const QList<QByteArray> lines = content.split('\n');
            for (int i = 0; i + 1 < lines.size(); ++i) {
                QVERIFY(lines.at(i).endsWith('\r'));
                const QByteArray &next = lines.at(i + 1);
                QVERIFY2((lines.at(i).endsWith(">\r") && next.startsWith('<')) ||
                             next.startsWith(' '),
                         next.left(20).constData());
            }
            content.replace("\r\n", "");
        }
        QCOMPARE(content, original);
    }
}

KIV_TEST_MAIN(TestMime, QCoreApplication)

#include "tst_mime.moc"
