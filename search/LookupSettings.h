#pragma once

#include <QString>

class SettingsStore;
class ThrottleState;
struct LookupContext;

// The stored settings every lookup starts from, read the same way by the
// main window and the headless commands.
namespace LookupSettings {

// "DefaultExt", with its leading dot; ".com" when never set.
QString defaultExtension(const SettingsStore &settings, const QString &productName);

// "Throttle" (the pause before the first query), the machine-wide proxy
// switch "chkProxy" and "DefaultExt".
void load(const SettingsStore &settings, const QString &productName, LookupContext &context, ThrottleState &throttle);

} // namespace LookupSettings
