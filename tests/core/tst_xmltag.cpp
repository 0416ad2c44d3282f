#include <KivTest.h>
#include <XMLTag.h>

#include <QDomDocument>

class TestXmlTag : public QObject
{
    Q_OBJECT
private slots:
    void buildsNestedDocument()
    {
        XMLTag request(QStringLiteral("Request"));
        request.addTextChild(QStringLiteral("version"), QStringLiteral("0.1"))
            .addTextChild(QStringLiteral("pass"), QStringLiteral("a&b<c>"));
        XMLTag list(QStringLiteral("AGReqList"));
        XMLTag ag(QStringLiteral("AG"));
        ag.setAttribute(QStringLiteral("Name"), QStringLiteral("Main \"L\"\n"));
        ag.addText(QStringLiteral("t"));
        list.appendChild(ag);
        request.appendChild(list);
        request.appendChild(XMLTag(QStringLiteral("Empty")));

        QCOMPARE(request.toDocumentString(),
                 QStringLiteral("<?xml version='1.0' encoding='UTF-8'?><Request>\n"
                                " <version>0.1</version>\n"
                                " <pass>a&amp;b&lt;c></pass>\n"
                                " <AGReqList>\n"
                                "  <AG Name=\"Main &quot;L&quot;&#xa;\">t</AG>\n"
                                " </AGReqList>\n"
                                " <Empty/>\n"
                                "</Request>\n"));
        // The appended tag was copied: changing it later does not touch the document.
        ag.addText(QStringLiteral("later"));
        QVERIFY(!request.toString().contains(QStringLiteral("later")));
    }

    // Whatever goes in can be parsed again: characters XML 1.0 cannot carry are dropped.
    void dropsCharactersXmlCannotCarry()
    {
        const QString bad = QStringLiteral("a") + QChar(0x1) + QStringLiteral("b") + QChar(0xFFFE) +
                            QChar(0xD800) + QStringLiteral("c\td");
        const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");
        XMLTag tag(QStringLiteral("T"));
        tag.addTextChild(QStringLiteral("x"), bad + emoji);
        tag.setAttribute(QStringLiteral("Name"), bad);
        QDomDocument parsed;
        QVERIFY(parsed.setContent(tag.toString()));
        QCOMPARE(parsed.documentElement().firstChildElement().text(), QStringLiteral("abc\td") + emoji);
        QCOMPARE(parsed.documentElement().attribute(QStringLiteral("Name")), QStringLiteral("abc\td"));

        QVERIFY(!isXmlText(bad));
        QVERIFY(isXmlText(emoji + QStringLiteral("\r\n\t")));
        QVERIFY(isValidXmlKeyName(QStringLiteral("Main L/R")));
        QVERIFY(!isValidXmlKeyName(QString()));
        QVERIFY(!isValidXmlKeyName(QStringLiteral("x") + QChar(0x1B)));
    }
};

KIV_TEST_MAIN(TestXmlTag, QCoreApplication)
#include "tst_xmltag.moc"
