#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

class XMLTag;
class ConfigQuery;

// One audiogroup's settings. The invokable get/set pairs are the XML elements of an
// "AudioGroup", in declaration order: do not reorder them, and add nothing invokable
// that is not a stored field.
class AgConfig : public QObject
{
    Q_OBJECT
public:
    AgConfig();
    explicit AgConfig(const QString &name);
    AgConfig(const AgConfig &other);
    AgConfig &operator=(const AgConfig &other);
    ~AgConfig() override;

    void setDefaults();

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    Q_INVOKABLE QString getAudioMode() const { return m_audioMode; }
    Q_INVOKABLE void setAudioMode(const QString &v) { m_audioMode = v; }
    Q_INVOKABLE QString getLoudnessUnit() const { return m_loudnessUnit; }
    Q_INVOKABLE void setLoudnessUnit(const QString &v) { m_loudnessUnit = v; }
    Q_INVOKABLE double getLoudnessMinDb() const { return m_loudnessMinDb; }
    Q_INVOKABLE void setLoudnessMinDb(double v) { m_loudnessMinDb = v; }
    Q_INVOKABLE double getLoudnessMaxDb() const { return m_loudnessMaxDb; }
    Q_INVOKABLE void setLoudnessMaxDb(double v) { m_loudnessMaxDb = v; }
    Q_INVOKABLE QString getLoudnessMode() const { return m_loudnessMode; }
    Q_INVOKABLE void setLoudnessMode(const QString &v) { m_loudnessMode = v; }
    Q_INVOKABLE QString getDomain() const { return m_domain; }
    Q_INVOKABLE void setDomain(const QString &v) { m_domain = v; }
    Q_INVOKABLE double getTargetLoudness() const { return m_targetLoudness; }
    Q_INVOKABLE void setHasLoggingEnabled(bool v) { m_hasLoggingEnabled = v; }
    Q_INVOKABLE bool getHasLoggingEnabled() const { return m_hasLoggingEnabled; }
    Q_INVOKABLE void setTargetLoudness(double v) { m_targetLoudness = v; }
    Q_INVOKABLE double getRefTPMax() const { return m_refTPMax; }
    Q_INVOKABLE void setRefTPMax(double v) { m_refTPMax = v; }
    Q_INVOKABLE double getTPUpperThreshold() const { return m_tpUpper; }
    Q_INVOKABLE double getTPUpperSecondaryThreshold() const { return m_tpUpperSecondary; }
    Q_INVOKABLE int getTPCountMainThreshold() const { return m_tpCountMain; }
    Q_INVOKABLE int getTPCountSecondaryThreshold() const { return m_tpCountSecondary; }
    Q_INVOKABLE double getMUpperThreshold() const { return m_mUpper; }
    Q_INVOKABLE double getMUpperSecondaryThreshold() const { return m_mUpperSecondary; }
    Q_INVOKABLE int getMCountMainThreshold() const { return m_mCountMain; }
    Q_INVOKABLE int getMCountSecondaryThreshold() const { return m_mCountSecondary; }
    Q_INVOKABLE double getSUpperThreshold() const { return m_sUpper; }
    Q_INVOKABLE double getSUpperSecondaryThreshold() const { return m_sUpperSecondary; }
    Q_INVOKABLE int getSCountMainThreshold() const { return m_sCountMain; }
    Q_INVOKABLE int getSCountSecondaryThreshold() const { return m_sCountSecondary; }
    Q_INVOKABLE double getIUpperThreshold() const { return m_iUpper; }
    Q_INVOKABLE int getIUpperCountMainThreshold() const { return m_iUpperCountMain; }
    Q_INVOKABLE double getILowerThreshold() const { return m_iLower; }
    Q_INVOKABLE int getILowerCountMainThreshold() const { return m_iLowerCountMain; }
    Q_INVOKABLE double getIUpperSecondaryThreshold() const { return m_iUpperSecondary; }
    Q_INVOKABLE int getIUpperCountSecondaryThreshold() const { return m_iUpperCountSecondary; }
    Q_INVOKABLE double getILowerSecondaryThreshold() const { return m_iLowerSecondary; }
    Q_INVOKABLE int getILowerCountSecondaryThreshold() const { return m_iLowerCountSecondary; }
    Q_INVOKABLE void setTPUpperThreshold(double v) { m_tpUpper = v; }
    Q_INVOKABLE void setTPCountMainThreshold(int v) { m_tpCountMain = v; }
    Q_INVOKABLE void setTPUpperSecondaryThreshold(double v) { m_tpUpperSecondary = v; }
    Q_INVOKABLE void setTPCountSecondaryThreshold(int v) { m_tpCountSecondary = v; }
    Q_INVOKABLE void setMUpperThreshold(double v) { m_mUpper = v; }
    Q_INVOKABLE void setMUpperSecondaryThreshold(double v) { m_mUpperSecondary = v; }
    Q_INVOKABLE void setMCountMainThreshold(int v) { m_mCountMain = v; }
    Q_INVOKABLE void setMCountSecondaryThreshold(int v) { m_mCountSecondary = v; }
    Q_INVOKABLE void setSUpperThreshold(double v) { m_sUpper = v; }
    Q_INVOKABLE void setSUpperSecondaryThreshold(double v) { m_sUpperSecondary = v; }
    Q_INVOKABLE void setSCountMainThreshold(int v) { m_sCountMain = v; }
    Q_INVOKABLE void setSCountSecondaryThreshold(int v) { m_sCountSecondary = v; }
    Q_INVOKABLE void setIUpperThreshold(double v) { m_iUpper = v; }
    Q_INVOKABLE void setIUpperCountMainThreshold(int v) { m_iUpperCountMain = v; }
    Q_INVOKABLE void setILowerThreshold(double v) { m_iLower = v; }
    Q_INVOKABLE void setILowerCountMainThreshold(int v) { m_iLowerCountMain = v; }
    Q_INVOKABLE void setIUpperSecondaryThreshold(double v) { m_iUpperSecondary = v; }
    Q_INVOKABLE void setIUpperCountSecondaryThreshold(int v) { m_iUpperCountSecondary = v; }
    Q_INVOKABLE void setILowerSecondaryThreshold(double v) { m_iLowerSecondary = v; }
    Q_INVOKABLE void setILowerCountSecondaryThreshold(int v) { m_iLowerCountSecondary = v; }
    Q_INVOKABLE bool getMainThresholdActiveState() const { return m_mainActive; }
    Q_INVOKABLE void setMainThresholdActiveState(bool v) { m_mainActive = v; }
    Q_INVOKABLE bool getSecondaryThresholdActiveState() const { return m_secondaryActive; }
    Q_INVOKABLE void setSecondaryThresholdActiveState(bool v) { m_secondaryActive = v; }
    Q_INVOKABLE bool getAutoreconnect() const { return m_autoreconnect; }
    Q_INVOKABLE void setAutoreconnect(bool v) { m_autoreconnect = v; }
    Q_INVOKABLE bool getAlertsEnabled() const { return m_alertsEnabled; }
    Q_INVOKABLE void setAlertsEnabled(bool v) { m_alertsEnabled = v; }
    Q_INVOKABLE bool getImported() const { return m_imported; }
    Q_INVOKABLE void setImported(bool v) { m_imported = v; }

    // Takes what a meter reports about the audiogroup (modes, unit, scale, target) and
    // keeps the user's settings. A report of another name changes nothing.
    void update(const AgConfig &report);

    // Thresholds by PlotValue (1 TP, 2 M, 3 S, 4 I); 0.0 where there is none. These are the
    // stored values: M, S and I relative to the target, TP in dBTP.
    double getUpperThreshold(int plotValue) const;
    double getUpperSecondaryThreshold(int plotValue) const;
    double getLowerThreshold(int plotValue) const;
    double getLowerSecondaryThreshold(int plotValue) const;

    // What shifts the M, S and I thresholds onto the meter's loudness values: 0 while the
    // meter reports relative to the target ("LU"), else TargetLoudness. Never for true peak,
    // which is in dBTP either way.
    double loudnessThresholdOffset() const;

    void toXml(XMLTag &parent) const;
    static AgConfig fromXml(const QString &name, ConfigQuery &query);

private:
    QString m_name;
    QString m_audioMode;
    QString m_domain;
    QString m_loudnessMode;
    QString m_loudnessUnit;
    double m_loudnessMinDb = 0.0;
    double m_loudnessMaxDb = 0.0;
    bool m_hasLoggingEnabled = true;
    double m_targetLoudness = 0.0;
    double m_refTPMax = 0.0;
    double m_tpUpper = 0.0;
    double m_tpUpperSecondary = 0.0;
    double m_mUpper = 0.0;
    double m_mUpperSecondary = 0.0;
    double m_sUpper = 0.0;
    double m_sUpperSecondary = 0.0;
    double m_iUpper = 0.0;
    double m_iLower = 0.0;
    double m_iUpperSecondary = 0.0;
    double m_iLowerSecondary = 0.0;
    int m_iUpperCountMain = 1;
    int m_iLowerCountMain = 1;
    int m_mCountMain = 1;
    int m_sCountMain = 1;
    int m_tpCountMain = 1;
    int m_iUpperCountSecondary = 1;
    int m_iLowerCountSecondary = 1;
    int m_mCountSecondary = 1;
    int m_sCountSecondary = 1;
    int m_tpCountSecondary = 1;
    bool m_mainActive = true;
    bool m_secondaryActive = false;
    bool m_autoreconnect = false;
    bool m_alertsEnabled = true;
    bool m_imported = false;
};

Q_DECLARE_METATYPE(AgConfig)
