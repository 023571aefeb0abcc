#include "harvest/EngineSettings.h"

#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"

namespace {

struct EngineRows
{
    TextSetting scheme;
    TextSetting host;
    TextSetting path;
};

SearchEngineAddress readAddress(const SettingsStore &settings, const EngineRows &rows,
                                const SearchEngineAddress &defaults)
{
    const auto value = [&](const TextSetting &row, const QString &fallback) {
        const QString text = settings.value(row).trimmed();
        return text.isEmpty() ? fallback : text;
    };
    SearchEngineAddress address = defaults;
    const QString scheme = value(rows.scheme, defaults.scheme).toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        address.scheme = scheme;
    address.host = value(rows.host, defaults.host);
    address.path = value(rows.path, defaults.path);
    if (!address.path.startsWith(QLatin1Char('/')))
        address.path.prepend(QLatin1Char('/'));
    return address;
}

} // namespace

SearchEngineHosts readEngineSettings(const SettingsStore &settings)
{
    const SearchEngineHosts defaults;
    SearchEngineHosts hosts;
    hosts.yahoo =
        readAddress(settings, {Settings::yahooScheme, Settings::yahooHost, Settings::yahooPath}, defaults.yahoo);
    hosts.google =
        readAddress(settings, {Settings::googleScheme, Settings::googleHost, Settings::googlePath}, defaults.google);
    hosts.bing = readAddress(settings, {Settings::bingScheme, Settings::bingHost, Settings::bingPath}, defaults.bing);
    hosts.duckDuckGo =
        readAddress(settings, {Settings::duckDuckGoScheme, Settings::duckDuckGoHost, Settings::duckDuckGoPath},
                    defaults.duckDuckGo);
    return hosts;
}
