#pragma once

class QString;
class SystemConfig;

// What the audiogroup view controller's files share of the running system; without one
// (tests of parts) the defaults and no alert.
namespace AgViewSystem {

SystemConfig currentSystemConfig();
void showAlert(const QString &text);

} // namespace AgViewSystem
