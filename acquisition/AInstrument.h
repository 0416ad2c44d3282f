#pragma once

#include "Instrument.h"

#include "core/SystemJanitor.h"

// The front the rest of the program holds for a meter; forwards every call to its
// Instrument.
class AInstrument : public ARetirableInstrument
{
public:
    AInstrument();
    ~AInstrument() override;

    int init(bool acquisitionFlag, const InstrumentConfig &config)
    {
        return m_instrument.init(acquisitionFlag, config);
    }
    bool isFinished() const { return m_instrument.isFinished(); }
    bool areAllFinished() const { return m_instrument.areAllFinished(); }
    void setDeleteImportedDbsOnClose() { m_instrument.setDeleteImportedDbsOnClose(); }
    void stop() override { m_instrument.stop(); }
    void pause() { m_instrument.pause(); }
    bool isPaused() const { return m_instrument.isPaused(); }
    void unpause() { m_instrument.unpause(); }
    void resetHijackRequest() { m_instrument.resetHijackRequest(); }
    void allowHijackRequest() { m_instrument.allowHijackRequest(); }
    int postDeviceReply(CommandParameter *reply) { return m_instrument.postDeviceReply(reply); }
    int postTimestampReply(const QString &agName, int code, const AgTimestamp &timestamp)
    {
        return m_instrument.postTimestampReply(agName, code, timestamp);
    }
    int postStoreResult(const QString &agName, int code, const AgTimestamp &newest,
                        int storedSamples)
    {
        return m_instrument.postStoreResult(agName, code, newest, storedSamples);
    }
    int requestAcquisitionStatus() { return m_instrument.requestAcquisitionStatus(); }
    bool hasUnpublishedStatus() const { return m_instrument.hasUnpublishedStatus(); }
    int resetAcquisitionStatus() { return m_instrument.resetAcquisitionStatus(); }
    QString getName() const { return m_instrument.getName(); }
    int getAudioGroupCount() const { return m_instrument.getAudioGroupCount(); }
    AAudioGroup *findAudioGroup(const QString &sourceName) const
    {
        return m_instrument.findAudioGroup(sourceName);
    }
    int addAudioGroup(bool acquisitionFlag, const AgConfig &agConfig)
    {
        return m_instrument.addAudioGroup(acquisitionFlag, agConfig);
    }
    AAudioGroup *takeAudioGroup(const QString &sourceName)
    {
        return m_instrument.takeAudioGroup(sourceName);
    }
    QList<AAudioGroup *> getAudioGroups() const { return m_instrument.getAudioGroups(); }
    void applyInstrumentConfig(bool acquisitionFlag, const InstrumentConfig &config)
    {
        m_instrument.applyInstrumentConfig(acquisitionFlag, config);
    }
    void postInstrumentConfig(bool acquisitionFlag, const InstrumentConfig &config)
    {
        m_instrument.postInstrumentConfig(acquisitionFlag, config);
    }
    Instrument &getInstrument() { return m_instrument; }

    // The janitor's view.
    QList<ARetirableAudioGroup *> getRetirableAudioGroups() const override;
    ARetirableAudioGroup *takeRetirableAudioGroup(const QString &name) override;
    bool isRetiredFinished() const override { return m_instrument.areAllFinished(); }
    bool deleteOnGuiThread() const override { return getAudioGroupCount() > 0; }

private:
    Instrument m_instrument;
};
