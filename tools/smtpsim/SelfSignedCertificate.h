#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// A self-signed certificate for 127.0.0.1 and localhost with its RSA key, made by the
// openssl command (Qt cannot make keys).
class SelfSignedCertificate
{
public:
    // Writes "<name>.crt" and "<name>.key" into the folder; false (see errorString) when
    // openssl is missing or fails.
    bool create(const QString &folder, const QString &name = QStringLiteral("smtpsim"),
                int days = 1);

    QSslCertificate certificate() const { return m_certificate; }
    QSslKey key() const { return m_key; }
    QString certificatePath() const { return m_certificatePath; }
    QString keyPath() const { return m_keyPath; }
    QString errorString() const { return m_error; }

    // Reads a PEM certificate and an RSA key; false (see errorString) when either fails.
    bool load(const QString &certificatePath, const QString &keyPath);

private:
    QSslCertificate m_certificate;
    QSslKey m_key;
    QString m_certificatePath;
    QString m_keyPath;
    QString m_error;
};
