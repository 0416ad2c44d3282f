#include "MimeAttachment.h"

namespace {
const QString kDisposition = QStringLiteral("Content-disposition: attachment\r\n");
}

MimeAttachment::MimeAttachment(QFile *file, QObject *parent) : MimeFile(file, parent) {}

MimeAttachment::~MimeAttachment() = default;

void MimeAttachment::prepare()
{
    // Prepared again, the part still carries the line once.
    if (!m_header.contains(kDisposition))
        m_header += kDisposition;
    MimeFile::prepare();
}
