#pragma once

#include <QObject>
#include <QString>

// Folds encoded part content into lines of at most lineLength characters.
class MimeContentFormatter : public QObject
{
    Q_OBJECT
public:
    explicit MimeContentFormatter(int lineLength = 76);
    ~MimeContentFormatter() override;

    void setLineLength(int length) { m_lineLength = length; }
    int getLineLength() const { return m_lineLength; }

    // Plain mode breaks hard after lineLength characters (Base64). Quoted-printable mode
    // ends each line with a soft break "=" inside the limit and never splits an escape.
    QString format(const QString &content, bool quotedPrintable = false) const;

private:
    int m_lineLength;
};
