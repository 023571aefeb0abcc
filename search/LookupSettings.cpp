#include "search/LookupSettings.h"

#include "core/LookupContext.h"
#include "core/ThrottleState.h"
#include "settings/SettingsStore.h"

namespace LookupSettings {

namespace {

const QString section = QStringLiteral("Settings");

} // namespace

QString defaultExtension(const SettingsStore &settings, const QString &productName)
{
    return settings.getUserSetting(productName, section, QStringLiteral("DefaultExt"), QStringLiteral(".com"));
}

void load(const SettingsStore &settings, const QString &productName, LookupContext &context, ThrottleState &throttle)
{
    throttle.setCurrentThrottleMs(
        settings.getUserSetting(productName, section, QStringLiteral("Throttle"), QStringLiteral("25")).toInt());
    // Any non-zero number switches the proxy on.
    context.useProxy =
        settings.readMachineSetting(productName, section, QStringLiteral("chkProxy"), QStringLiteral("0")).toInt() != 0;
    context.defaultExtension = defaultExtension(settings, productName);
}

} // namespace LookupSettings
