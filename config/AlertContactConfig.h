#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

class XMLTag;
class ConfigQuery;

// One recipient of alert e-mails, keyed by Name (the "Name" attribute).
class AlertContactConfig : public QObject
{
    Q_OBJECT
public:
    AlertContactConfig();
    AlertContactConfig(const AlertContactConfig &other);
    AlertContactConfig &operator=(const AlertContactConfig &other);
    ~AlertContactConfig() override;

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    Q_INVOKABLE QString getEmail() const { return m_email; }
    Q_INVOKABLE void setEmail(const QString &v) { m_email = v; }

    void toXml(XMLTag &parent) const;
    static AlertContactConfig fromXml(const QString &name, ConfigQuery &query);

private:
    QString m_name;
    QString m_email;
};

Q_DECLARE_METATYPE(AlertContactConfig)
Q_DECLARE_METATYPE(QList<AlertContactConfig>)
