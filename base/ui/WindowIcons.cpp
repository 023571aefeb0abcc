#include "base/ui/WindowIcons.h"

#include <QFile>
#include <QWidget>

// The resource lives in a static library: register it before the first use.
static void initIconResources()
{
    Q_INIT_RESOURCE(vantrel_icons);
}

QIcon programIcon(const QString &iconName)
{
    static const bool registered = (initIconResources(), true);
    Q_UNUSED(registered);

    static const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (const int size : sizes) {
        const QString path = QStringLiteral(":/icons/%1/%2.png").arg(iconName).arg(size);
        if (QFile::exists(path))
            icon.addFile(path, QSize(size, size));
    }
    return icon;
}

void setWindowIcons(QWidget *window, const QString &iconName, bool alsoOwner)
{
    if (!window)
        return;
    const QIcon icon = programIcon(iconName);
    if (icon.isNull())
        return;
    if (alsoOwner) {
        QWidget *owner = window->window();
        while (owner->parentWidget())
            owner = owner->parentWidget()->window();
        if (owner != window)
            owner->setWindowIcon(icon);
    }
    window->setWindowIcon(icon);
}
