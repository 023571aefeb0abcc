#pragma once

#include <QLabel>

// A label that shows a picture. Skinning gives it the skin's picture
// background, and it never gets a skinned twin (only plain QLabels do).
class PictureBox : public QLabel
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr)
        : QLabel(parent)
    {
        setAlignment(Qt::AlignCenter);
    }
};
