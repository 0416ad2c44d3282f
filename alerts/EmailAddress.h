#pragma once

#include <QObject>
#include <QString>

// An e-mail address with an optional display name.
class EmailAddress : public QObject
{
    Q_OBJECT
public:
    explicit EmailAddress(const QString &address = QString(), const QString &name = QString(),
                          QObject *parent = nullptr);
    ~EmailAddress() override;

    void setName(const QString &name) { m_name = name; }
    QString getName() const { return m_name; }
    void setAddress(const QString &address) { m_address = address; }
    QString getAddress() const { return m_address; }

private:
    QString m_name;
    QString m_address;
};
