#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

class XMLTag;
class ConfigQuery;

// The mail server of the alert e-mails. The invokable get/set pairs are the elements of
// the "SMTPConfig" section, in declaration order.
class SMTPConfig : public QObject
{
    Q_OBJECT
public:
    SMTPConfig();
    SMTPConfig(const SMTPConfig &other);
    SMTPConfig &operator=(const SMTPConfig &other);
    ~SMTPConfig() override;

    Q_INVOKABLE QString getSenderEmailAddress() const { return m_senderEmailAddress; }
    Q_INVOKABLE void setSenderEmailAddress(const QString &v) { m_senderEmailAddress = v; }
    Q_INVOKABLE QString getHost() const { return m_host; }
    Q_INVOKABLE void setHost(const QString &v) { m_host = v; }
    Q_INVOKABLE int getPort() const { return m_port; }
    Q_INVOKABLE void setPort(int v) { m_port = v; }
    Q_INVOKABLE QString getUser() const { return m_user; }
    Q_INVOKABLE void setUser(const QString &v) { m_user = v; }
    // Kept in clear text: the file format has no other form.
    Q_INVOKABLE QString getPassword() const { return m_password; }
    Q_INVOKABLE void setPassword(const QString &v) { m_password = v; }
    Q_INVOKABLE QString getConnectionType() const { return m_connectionType; }
    Q_INVOKABLE void setConnectionType(const QString &v) { m_connectionType = v; }

    void toXml(XMLTag &parent) const;
    static SMTPConfig fromXml(ConfigQuery &query);

private:
    QString m_connectionType;
    QString m_senderEmailAddress;
    QString m_host;
    int m_port = 465;
    QString m_user;
    QString m_password;
};

Q_DECLARE_METATYPE(SMTPConfig)
