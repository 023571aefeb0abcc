#include "harvest/EngineSettings.h"

#include "settings/SettingsStore.h"

namespace {

const QString engineSection = QStringLiteral("Engines");

SearchEngineAddress readAddress(const SettingsStore &settings, const QString &application, const QString &engine,
                                const SearchEngineAddress &defaults)
{
    const auto value = [&](const char *key, const QString &fallback) {
        const QString text =
            settings.getUserSetting(application, engineSection, engine + QLatin1String(key), fallback).trimmed();
        return text.isEmpty() ? fallback : text;
    };
    SearchEngineAddress address = defaults;
    const QString scheme = value("Scheme", defaults.scheme).toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        address.scheme = scheme;
    address.host = value("Host", defaults.host);
    address.path = value("Path", defaults.path);
    if (!address.path.startsWith(QLatin1Char('/')))
        address.path.prepend(QLatin1Char('/'));
    return address;
}

} // namespace

SearchEngineHosts readEngineSettings(const SettingsStore &settings, const QString &application)
{
    const SearchEngineHosts defaults;
    SearchEngineHosts hosts;
    hosts.yahoo = readAddress(settings, application, QStringLiteral("Yahoo"), defaults.yahoo);
    hosts.google = readAddress(settings, application, QStringLiteral("Google"), defaults.google);
    return hosts;
}
