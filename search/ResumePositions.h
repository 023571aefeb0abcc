#pragma once

#include "search/SearchType.h"

#include <QDateTime>

class SettingsStore;

// Where each search type stands, kept under application "Vantrel".
class ResumePositions
{
public:
    explicit ResumePositions(SettingsStore &settings);

    // The stored position of the type's next word (default 1).
    qint32 stored(SearchType type) const;
    // The position of the next word of the last run, whatever its type (default 0).
    qint32 wordNumber() const;
    // The type's key (if it has one), then wordNumber. False, with a message
    // for the user in *error, when the settings could not be written.
    bool save(SearchType type, qint32 nextWordNumber, QString *error = nullptr);

    // When the run that the type's stored position continues began; invalid
    // when unknown.
    QDateTime runBegan(SearchType type) const;
    // A run from a position of its own choosing begins a new run.
    bool saveRunBegan(SearchType type, const QDateTime &began, QString *error = nullptr);

private:
    SettingsStore &m_settings;
};
