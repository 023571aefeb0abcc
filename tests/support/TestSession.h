#pragma once

#include "search/LookupSession.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>

// A lookup session on a program folder, reading its settings (application
// "Ornisk") from a store in a temporary folder of its own.
struct TestSession
{
    explicit TestSession(const QString &programFolder, int poolSize = 1, PoolTimings timings = {})
        : settings({config.filePath(QStringLiteral("user")), config.filePath(QStringLiteral("machine"))},
                   QStringLiteral("vantrel.example"), QStringLiteral("Ornisk"))
        , session(programFolder, settings, poolSize, timings)
    {
    }

    QTemporaryDir config;
    SettingsStore settings;
    LookupSession session;
};
