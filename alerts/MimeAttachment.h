#pragma once

#include "MimeFile.h"

// A file part marked as an attachment.
class MimeAttachment : public MimeFile
{
    Q_OBJECT
public:
    explicit MimeAttachment(QFile *file, QObject *parent = nullptr);
    ~MimeAttachment() override;

    void prepare() override;
};
