#pragma once

#include "MimeText.h"

// An HTML part ("text/html", UTF-8, 8bit).
class MimeHtml : public MimeText
{
    Q_OBJECT
public:
    explicit MimeHtml(const QString &html = QString(), QObject *parent = nullptr);
    ~MimeHtml() override;

    void setHtml(const QString &html) { m_text = html; }
    QString getHtml() const { return m_text; }

protected:
    // Lines longer than a message line may be are broken between tags ("><"), else before
    // a blank; both only add white space the browser collapses.
    QByteArray textBytes() const override;
};
