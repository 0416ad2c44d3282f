#include "SelfSignedCertificate.h"

#include <QDir>
#include <QFile>
#include <QProcess>

bool SelfSignedCertificate::create(const QString &folder, const QString &name, int days)
{
    const QString certificatePath = QDir(folder).filePath(name + QStringLiteral(".crt"));
    const QString keyPath = QDir(folder).filePath(name + QStringLiteral(".key"));
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QString::number(days), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost"),
                   QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certificatePath});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        m_error = QStringLiteral("openssl failed: %1 %2")
                      .arg(openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
        return false;
    }
    return load(certificatePath, keyPath);
}

bool SelfSignedCertificate::load(const QString &certificatePath, const QString &keyPath)
{
    QFile certificateFile(certificatePath);
    QFile keyFile(keyPath);
    if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1 or %2").arg(certificatePath, keyPath);
        return false;
    }
    m_certificate = QSslCertificate(certificateFile.readAll(), QSsl::Pem);
    m_key = QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull()) {
        m_error = QStringLiteral("%1 or %2 is not a PEM certificate and RSA key")
                      .arg(certificatePath, keyPath);
        return false;
    }
    m_certificatePath = certificatePath;
    m_keyPath = keyPath;
    m_error.clear();
    return true;
}
