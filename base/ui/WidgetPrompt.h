#pragma once

#include "base/Prompt.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// Message boxes and file dialogs of the desktop program.
class WidgetPrompt : public Prompt
{
public:
    // parent: the window the boxes belong to (may be null). boxTitle, when
    // given, is the title of every message box (the product name); a box's
    // own title then heads its text.
    explicit WidgetPrompt(QWidget *parent = nullptr, const QString &boxTitle = QString());

    // The window the boxes are parented to from now on: it stays in front
    // of the others while its box is up.
    void setParentWindow(QWidget *parent) { m_parent = parent; }

    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override;

private:
    QPointer<QWidget> m_parent;
    QString m_boxTitle;
};
