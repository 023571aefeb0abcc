#pragma once

#include "base/Prompt.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Test double for Prompt: records every message and answers from a queue
// (Ok/Cancel/No/Abort, as ConsolePrompt, when the queue is empty).
class ScriptedPrompt : public Prompt
{
public:
    struct Message
    {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    QQueue<Answer> answers;
    QQueue<QString> fileNames;
    QList<Message> messages;

    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override;
};
