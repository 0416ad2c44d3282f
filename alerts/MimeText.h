#pragma once

#include "MimePart.h"

// A text part ("text/plain", UTF-8, 8bit).
class MimeText : public MimePart
{
    Q_OBJECT
public:
    // RFC 5322 2.1.1: no line of a message may be longer.
    static constexpr int kMaxLineOctets = 998;

    explicit MimeText(const QString &text = QString(), QObject *parent = nullptr);
    ~MimeText() override;

    void setText(const QString &text) { m_text = text; }
    QString getText() const { return m_text; }

    // The text goes out as UTF-8; a part with a line too long for 8bit is sent
    // quoted-printable instead.
    void prepare() override;

protected:
    // The content bytes of the text.
    virtual QByteArray textBytes() const;

    QString m_text;
};
