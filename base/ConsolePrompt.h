#pragma once

#include "base/Prompt.h"

#include <QTextStream>

// Headless stand-in for message boxes: prints the message on the given stream
// and takes the answer that gives up (Ok, Cancel, No or Abort). File dialogs
// are cancelled.
class ConsolePrompt : public Prompt
{
public:
    explicit ConsolePrompt(QTextStream &messages);

    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter) override;

private:
    QTextStream &m_messages;
};
