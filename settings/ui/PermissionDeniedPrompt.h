#pragma once

#include <QString>

class Prompt;
class SettingsStore;

// Makes a failed machine-wide write of settings ask the user: the
// "Permission Denied" box with Abort, Retry and Ignore. Retry writes again,
// Abort gives the value up, Ignore gives it up and stores
// IgnorePermissionDeniedError, after which such failures stay silent.
// productName opens the box's text. settings and prompt must outlive the
// store's use of the handler.
void installPermissionDeniedPrompt(SettingsStore &settings, Prompt &prompt, const QString &productName);
