#pragma once

#include "base/ui/SkinLabel.h"

#include <QWidget>

class PictureBox;
class QLabel;
class Skinner;
struct Branding;

// "About <product>": product name, version, owner and web site.
class AboutWindow : public QWidget
{
    Q_OBJECT

public:
    // skinner: null when skinning is off; otherwise the labels get skinned
    // twins (m_skinLabels) and the window the skin.
    AboutWindow(const Branding &branding, const Skinner *skinner, QWidget *parent = nullptr);

    const SkinLabelArray &skinLabel1() const { return m_skinLabels; }

private:
    PictureBox *m_picture;
    QLabel *m_productLabel;
    QLabel *lblVersion;
    QLabel *lblCompany;
    QLabel *lblWebsite;
    QLabel *lblRights;
    SkinLabelArray m_skinLabels;
};
