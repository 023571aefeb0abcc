#pragma once

#include <QString>

// Product texts and switches, filled once at start and passed to whoever needs them.
struct Branding
{
    QString productName = QStringLiteral("Ornisk");
    QString companyName = QStringLiteral("vantrel.example");
    QString comments = QStringLiteral("www.vantrel.example");
};
