#include "MimeFile.h"

#include <ORQLogging.h>

#include <QFile>
#include <QFileInfo>

MimeFile::MimeFile(QFile *file, QObject *parent) : MimePart(parent), m_file(file)
{
    m_contentType = QStringLiteral("application/octet-stream");
    m_contentName = QFileInfo(file->fileName()).fileName();
    m_encoding = Base64;
}

MimeFile::~MimeFile()
{
    delete m_file;
}

void MimeFile::prepare()
{
    if (m_file->open(QIODevice::ReadOnly)) {
        m_content = m_file->readAll();
        m_file->close();
    } else {
        // The mail still goes out; the part is empty.
        KIV_LOG(2, "E-mail part \"%s\" is empty: cannot read %s: %s\n",
                qUtf8Printable(m_contentName), qUtf8Printable(m_file->fileName()),
                qUtf8Printable(m_file->errorString()));
    }
    MimePart::prepare();
}
