#pragma once

#include <AgConfig.h>
#include <AlertContactConfig.h>

#include <QString>

namespace KivTest {

// An audiogroup "Main" with round thresholds. Main: M 8, S 3, TP -3, I -1..1; secondary:
// M 5, S 1, TP -6, I -2..2.
AgConfig thresholds(bool mainActive = true, bool secondaryActive = false);
AlertContactConfig contact(const QString &name, const QString &email);

} // namespace KivTest
