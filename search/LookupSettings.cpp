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
    context.checkDnsFirst =
        settings.getUserSetting(productName, section, QStringLiteral("CheckDnsFirst"), QStringLiteral("1")) != QLatin1String("0");
    context.dnsServer = settings.getUserSetting(productName, section, QStringLiteral("DnsServer"), QString()).trimmed();
    // Without a server of its own the session asks the system's resolver, or
    // the one the environment names (tests point it at a loopback responder).
    if (context.dnsServer.isEmpty())
        context.dnsServer = qEnvironmentVariable("VANTREL_DNS_SERVER").trimmed();
    context.recheckAfterDays = qMax(
        0, settings.getUserSetting(productName, section, QStringLiteral("RecheckAfterDays"), QStringLiteral("0")).toInt());
}

} // namespace LookupSettings
