#pragma once

#include "base/ui/SkinLabel.h"

#include <QWidget>

class QLabel;
class QPushButton;
class Skinner;

// "File backup": tells the user the result lists were saved to the overflow
// folder and emptied. "Ok" closes it.
class OverflowNoticeWindow : public QWidget
{
    Q_OBJECT

public:
    // skinner: null when skinning is off; otherwise the label gets a skinned
    // twin (m_skinLabels) and the window the skin.
    explicit OverflowNoticeWindow(const Skinner *skinner, QWidget *parent = nullptr);

    const SkinLabelArray &skinLabel1() const { return m_skinLabels; }

private:
    QLabel *m_messageLabel;
    QPushButton *m_okButton;
    SkinLabelArray m_skinLabels;
};
