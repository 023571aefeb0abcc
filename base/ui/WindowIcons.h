#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The icon group iconName of the program's resources ("AAA" is the program
// icon) with all its sizes, from 16 to 256 pixels; a null icon for an unknown name.
QIcon programIcon(const QString &iconName);

// Gives the window the icon group, in all sizes (title bar and task switcher
// pick theirs). With alsoOwner the top-most owner window (following the
// parent chain of windows) gets it first.
void setWindowIcons(QWidget *window, const QString &iconName, bool alsoOwner);
