#include "base/ui/Skin.h"

#include <QFile>
#include <QWidget>

Skin::Skin(const QString &skinFile, QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("skn"));
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly))
        return;
    m_loaded = true;

    const QList<QByteArray> lines = file.readAll().split('\n');
    bool inStyleSheet = false;
    QStringList sheet;
    for (const QByteArray &rawLine : lines) {
        QString line = QString::fromLatin1(rawLine);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (inStyleSheet) {
            sheet.append(line);
            continue;
        }
        const QString trimmed = line.trimmed();
        if (trimmed.compare(u"[StyleSheet]", Qt::CaseInsensitive) == 0) {
            inStyleSheet = true;
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = trimmed.left(equals).trimmed();
        const QColor colour = QColor::fromString(trimmed.mid(equals + 1).trimmed());
        if (key.compare(u"controlBack", Qt::CaseInsensitive) == 0)
            m_controlBack = colour;
        else if (key.compare(u"controlText", Qt::CaseInsensitive) == 0)
            m_controlText = colour;
        else if (key.compare(u"pictureBack", Qt::CaseInsensitive) == 0)
            m_pictureBack = colour;
    }
    m_styleSheet = sheet.join(QLatin1Char('\n')).trimmed();
}

void Skin::applyToWindow(QWidget *window) const
{
    if (!window)
        return;
    window->setProperty("skinWindow", true);
    window->setStyleSheet(m_styleSheet);
}
