#pragma once

#include "MimePart.h"

class QFile;

// A part read from a file ("application/octet-stream", Base64) when it is prepared.
class MimeFile : public MimePart
{
    Q_OBJECT
public:
    // Takes ownership of the file.
    explicit MimeFile(QFile *file, QObject *parent = nullptr);
    ~MimeFile() override;

    void prepare() override;

protected:
    QFile *m_file;
};
