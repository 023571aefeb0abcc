#pragma once

#include "base/Prompt.h"

#include <QString>

class QWidget;

// Message boxes and file dialogs of the desktop program.
class WidgetPrompt : public Prompt
{
public:
    // parent: the window the boxes belong to (may be null). boxTitle, when
    // given, is the title of every message box (the product name); a box's
    // own title then heads its text.
    explicit WidgetPrompt(QWidget *parent = nullptr, const QString &boxTitle = QString());

    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override;

private:
    QWidget *m_parent;
    QString m_boxTitle;
};
