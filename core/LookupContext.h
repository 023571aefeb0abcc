#pragma once

#include "core/RegistryDirectory.h"
#include "core/TldTable.h"

#include <QString>

// Process-wide lookup settings, shared by reference between the main
// window's pool, the browse window and the setup window.
struct LookupContext
{
    TldTable tldTable;
    RegistryDirectory registries; // for names whose TLD has no enabled row
    bool useProxy = false;
    QString defaultExtension = QStringLiteral(".com"); // with its leading dot
};
