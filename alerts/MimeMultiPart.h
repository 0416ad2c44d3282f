#pragma once

#include "MimePart.h"

#include <QList>

// A multipart body: its parts, each after a boundary line.
class MimeMultiPart : public MimePart
{
    Q_OBJECT
public:
    enum MultiPartType {
        Mixed = 0,
        Digest = 1,
        Alternative = 2,
        Related = 3,
        Report = 4,
        Signed = 5,
        Encrypted = 6
    };
    Q_ENUM(MultiPartType)

    explicit MimeMultiPart(MultiPartType type = Related, QObject *parent = nullptr);
    ~MimeMultiPart() override;

    // The part is not owned; it must outlive this one.
    void addPart(MimePart *part);
    const QList<MimePart *> &getParts() const { return m_parts; }
    void setMimeType(MultiPartType type);
    MultiPartType getMimeType() const { return m_type; }
    QString getBoundary() const { return m_contentBoundary; }

    void prepare() override;

private:
    static QString newBoundary();

    QList<MimePart *> m_parts;
    MultiPartType m_type;
};
