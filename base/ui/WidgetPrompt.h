#pragma once

#include "base/Prompt.h"

class QWidget;

// Message boxes and file dialogs of the desktop program.
class WidgetPrompt : public Prompt
{
public:
    // parent: the window the boxes belong to (may be null).
    explicit WidgetPrompt(QWidget *parent = nullptr);

    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override;

private:
    QWidget *m_parent;
};
