#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

class XMLTag;
class ConfigQuery;

// The company lines printed on reports; elements of the "ReportConfig" section.
class ReportConfig : public QObject
{
    Q_OBJECT
public:
    explicit ReportConfig(QObject *parent = nullptr);
    ReportConfig(const ReportConfig &other);
    ReportConfig &operator=(const ReportConfig &other);
    ~ReportConfig() override;

    Q_INVOKABLE void setCompanyName(const QString &v) { m_companyName = v; }
    Q_INVOKABLE QString getCompanyName() const { return m_companyName; }
    Q_INVOKABLE void setCompanyAddress(const QString &v) { m_companyAddress = v; }
    Q_INVOKABLE QString getCompanyAddress() const { return m_companyAddress; }
    Q_INVOKABLE void setCompanyAddress2(const QString &v) { m_companyAddress2 = v; }
    Q_INVOKABLE QString getCompanyAddress2() const { return m_companyAddress2; }

    void toXml(XMLTag &parent) const;
    static ReportConfig fromXml(ConfigQuery &query);

private:
    QString m_companyName;
    QString m_companyAddress;
    QString m_companyAddress2;
};

Q_DECLARE_METATYPE(ReportConfig)
