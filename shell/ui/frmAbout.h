#pragma once

#include "SkinLabel.h"

#include <QWidget>

class PictureBox;
class QLabel;
class Skinner;
struct Branding;

// "About <product>": product name, version, owner and web site.
class frmAbout : public QWidget
{
    Q_OBJECT

public:
    // skinner: null when skinning is off; otherwise the labels get skinned
    // twins (SkinLabel1) and the window the skin.
    frmAbout(const Branding &branding, const Skinner *skinner, QWidget *parent = nullptr);

    const SkinLabelArray &skinLabel1() const { return SkinLabel1; }

private:
    PictureBox *Picture1;
    QLabel *Label1;
    QLabel *lblVersion;
    QLabel *lblCompany;
    QLabel *lblWebsite;
    QLabel *lblRights;
    SkinLabelArray SkinLabel1;
};
