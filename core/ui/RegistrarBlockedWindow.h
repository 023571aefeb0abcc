#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class RegistrarBlockedNotice;

// "Registrar blocked": shows the server that refused (or timed out) and its
// answer. It shows itself, not modal, whenever the notice asks for it;
// closing it empties the notice so that the next report fills it again.
class RegistrarBlockedWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RegistrarBlockedWindow(RegistrarBlockedNotice &notice, QWidget *parent = nullptr);

    // Shows the window (not modal) and brings it to the front.
    void showNotice();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refresh();

    RegistrarBlockedNotice &m_notice;
    QLineEdit *txtRegistrar;
    QPlainTextEdit *txtResponse;
};
