// The report converter: applies the XSL template to the report XML, lays the HTML out on A4
// pages and writes the PDF. The PDF is written to the temporary file first and renamed to
// its name once complete, so a failed run never leaves a partial PDF.
//
//   KivHtml2Pdf.exe --input <report.xml> <report.xsl> --output <temporary file> <report.pdf>
//
// The build lays the user's guide out of the README the same way:
//
//   KivHtml2Pdf.exe --markdown <README.md> --output <temporary file> <guide.pdf>
//
// Exit codes: 0 the PDF is written; 1 wrong command line; 2 the XML or the template cannot
// be read or applied; 3 the PDF cannot be written. Every failure leaves one line on stderr.
#include <QAbstractMessageHandler>
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QXmlQuery>

#include <cmath>
#include <cstdio>

namespace {

enum ExitCode { Converted = 0, BadCommandLine = 1, BadInput = 2, CannotWrite = 3 };

struct Arguments
{
    QString xml;
    QString xsl;
    QString tmp;
    QString pdf;
    QString markdown; // set instead of xml and xsl for the user's guide
};

int fail(int code, const QString &reason)
{
    std::fprintf(stderr, "KivHtml2Pdf: %s\n", qUtf8Printable(reason));
    return code;
}

bool parse(const QStringList &args, Arguments *out)
{
    if (args.size() == 6 && args.at(1) == QLatin1String("--markdown") &&
        args.at(3) == QLatin1String("--output")) {
        *out = {QString(), QString(), args.at(4), args.at(5), args.at(2)};
        return !out->markdown.isEmpty() && !out->tmp.isEmpty() && !out->pdf.isEmpty();
    }
    if (args.size() != 7 || args.at(1) != QLatin1String("--input") ||
        args.at(4) != QLatin1String("--output"))
        return false;
    *out = {args.at(2), args.at(3), args.at(5), args.at(6), QString()};
    return !out->xml.isEmpty() && !out->xsl.isEmpty() && !out->tmp.isEmpty() &&
           !out->pdf.isEmpty();
}

// Keeps the first error the XSLT processor reports.
class FirstError : public QAbstractMessageHandler
{
public:
    QString text;

protected:
    void handleMessage(QtMsgType type, const QString &description, const QUrl &,
                       const QSourceLocation &location) override
    {
        if (type == QtDebugMsg || type == QtWarningMsg || !text.isEmpty())
            return;
        QTextDocument plain;
        plain.setHtml(description);
        text = QStringLiteral("%1 (line %2)").arg(plain.toPlainText()).arg(location.line());
    }
};

bool readFile(const QString &path, QByteArray *content, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *content = file.readAll();
    return true;
}

bool transform(const Arguments &args, QString *html, QString *error)
{
    QByteArray xml;
    QByteArray xsl;
    if (!readFile(args.xml, &xml, error) || !readFile(args.xsl, &xsl, error))
        return false;
    QBuffer xmlBuffer(&xml);
    QBuffer xslBuffer(&xsl);
    xmlBuffer.open(QIODevice::ReadOnly);
    xslBuffer.open(QIODevice::ReadOnly);

    FirstError messages;
    QXmlQuery query(QXmlQuery::XSLT20);
    query.setMessageHandler(&messages);
    if (!query.setFocus(&xmlBuffer)) {
        *error = QStringLiteral("%1 is no well-formed XML: %2").arg(args.xml, messages.text);
        return false;
    }
    query.setQuery(&xslBuffer, QUrl::fromLocalFile(QFileInfo(args.xsl).absoluteFilePath()));
    if (!query.isValid()) {
        *error = QStringLiteral("%1 is no usable template: %2").arg(args.xsl, messages.text);
        return false;
    }
    if (!query.evaluateTo(html)) {
        *error = QStringLiteral("the template failed on %1: %2").arg(args.xml, messages.text);
        return false;
    }
    return true;
}

// A heading in the lowest quarter of a page, whose section goes on past that page, begins
// the next page instead, so that it stands over the first rows of what it introduces. A
// table that goes on across pages repeats its header rows (<thead>) on every page.
void keepHeadingsWithTheirSections(QTextDocument &doc, qreal pageHeight)
{
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    QList<QTextBlock> headings;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0)
            headings << block;
    }
    for (int i = 0; i < headings.size(); ++i) {
        const qreal top = layout->blockBoundingRect(headings.at(i)).top();
        const qreal pageEnd = (std::floor(top / pageHeight) + 1) * pageHeight;
        const qreal sectionEnd = i + 1 < headings.size()
                                     ? layout->blockBoundingRect(headings.at(i + 1)).top()
                                     : layout->documentSize().height();
        if (top + pageHeight / 4 <= pageEnd || sectionEnd <= pageEnd)
            continue;
        QTextBlockFormat format = headings.at(i).blockFormat();
        format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(headings.at(i)).setBlockFormat(format);
    }
}

// Lays the HTML (or the Markdown text) out on A4 pages and paints it with a page number under
// each page.
bool render(const QString &text, bool markdown, const QString &baseFolder, QIODevice *target)
{
    QPdfWriter writer(target);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("KIV"));
    writer.setTitle(markdown ? QStringLiteral("KIV user's guide")
                             : QStringLiteral("Loudness Report"));

    const QRect paintRect = writer.pageLayout().paintRectPixels(writer.resolution());
    const int footerHeight = writer.resolution() / 4;
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    // Without ligatures the PDF's text reads back (copied, searched) as it was written.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc.setDefaultFont(font);
    // The template's style sheet link is resolved beside the template.
    doc.setMetaInformation(QTextDocument::DocumentUrl,
                           QUrl::fromLocalFile(baseFolder + QLatin1Char('/')).toString());
    if (markdown)
        doc.setMarkdown(text);
    else
        doc.setHtml(text);
    const QSizeF pageSize(paintRect.width(), paintRect.height() - footerHeight);
    doc.setPageSize(pageSize);
    keepHeadingsWithTheirSections(doc, pageSize.height());
    // A page break set after the layout is laid out again only in part: what follows a
    // table may be left out of the page count, and so of the PDF.
    doc.markContentsDirty(0, doc.characterCount());

    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const int pages = doc.pageCount();
    QFont footerFont(QStringLiteral("DejaVu Sans"));
    footerFont.setPointSizeF(7.5);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !writer.newPage())
            return false;
        painter.save();
        painter.translate(0, -page * pageSize.height());
        doc.drawContents(&painter, QRectF(QPointF(0, page * pageSize.height()), pageSize));
        painter.restore();
        painter.setFont(footerFont);
        painter.setPen(Qt::darkGray);
        painter.drawText(QRectF(0, pageSize.height(), pageSize.width(), footerHeight),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
    }
    return painter.end();
}

int convert(const Arguments &args)
{
    QString content;
    QString error;
    if (!args.markdown.isEmpty()) {
        QByteArray text;
        if (!readFile(args.markdown, &text, &error))
            return fail(BadInput, error);
        content = QString::fromUtf8(text);
    } else if (!transform(args, &content, &error)) {
        return fail(BadInput, error);
    }

    QFile tmp(args.tmp);
    if (!tmp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(CannotWrite,
                    QStringLiteral("cannot write %1: %2").arg(args.tmp, tmp.errorString()));
    const bool rendered = render(content, !args.markdown.isEmpty(),
                                 QFileInfo(args.markdown.isEmpty() ? args.xsl : args.markdown)
                                     .absolutePath(),
                                 &tmp);
    const bool flushed = tmp.flush();
    tmp.close();
    if (!rendered || !flushed || tmp.error() != QFileDevice::NoError) {
        const QString reason = tmp.errorString();
        tmp.remove();
        return fail(CannotWrite, QStringLiteral("cannot write %1: %2").arg(args.tmp, reason));
    }
    if (QFile::exists(args.pdf))
        QFile::remove(args.pdf);
    if (!tmp.rename(args.pdf)) {
        const QString reason = tmp.errorString();
        tmp.remove();
        return fail(CannotWrite, QStringLiteral("cannot write %1: %2").arg(args.pdf, reason));
    }
    return Converted;
}

// Qt's own notes (a missing runtime folder and the like) would bury the one line a failure
// leaves on stderr; the converter reports its failures itself.
void dropQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "KivHtml2Pdf: %s\n", qUtf8Printable(message));
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(dropQtNotes);
    // Nothing is shown: the pages are laid out without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Arguments args;
    if (!parse(app.arguments(), &args))
        return fail(BadCommandLine,
                    QStringLiteral("usage: KivHtml2Pdf.exe --input <xml> <xsl> --output "
                                   "<temporary file> <pdf>, or --markdown <md> --output "
                                   "<temporary file> <pdf>"));
    return convert(args);
}
