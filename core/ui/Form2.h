#pragma once

#include "SkinLabel.h"

#include <QWidget>

class QLabel;
class QPushButton;
class Skinner;

// "File backup": tells the user the result lists were saved to the overflow
// folder and emptied. "Ok" closes it.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    // skinner: null when skinning is off; otherwise the label gets a skinned
    // twin (SkinLabel1) and the window the skin.
    explicit Form2(const Skinner *skinner, QWidget *parent = nullptr);

    const SkinLabelArray &skinLabel1() const { return SkinLabel1; }

private:
    QLabel *Label1;
    QPushButton *Command1;
    SkinLabelArray SkinLabel1;
};
