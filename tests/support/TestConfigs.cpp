#include "TestConfigs.h"

namespace KivTest {

AgConfig thresholds(bool mainActive, bool secondaryActive)
{
    AgConfig config(QStringLiteral("Main"));
    config.setMainThresholdActiveState(mainActive);
    config.setSecondaryThresholdActiveState(secondaryActive);
    config.setMUpperThreshold(8.0);
    config.setMUpperSecondaryThreshold(5.0);
    config.setSUpperThreshold(3.0);
    config.setSUpperSecondaryThreshold(1.0);
    config.setTPUpperThreshold(-3.0);
    config.setTPUpperSecondaryThreshold(-6.0);
    config.setIUpperThreshold(1.0);
    config.setILowerThreshold(-1.0);
    config.setIUpperSecondaryThreshold(2.0);
    config.setILowerSecondaryThreshold(-2.0);
    return config;
}

AlertContactConfig contact(const QString &name, const QString &email)
{
    AlertContactConfig c;
    c.setName(name);
    c.setEmail(email);
    return c;
}

} // namespace KivTest
