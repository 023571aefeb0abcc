#pragma once

#include <QObject>
#include <QString>

// What the "Registrar blocked" window shows: the first server that refused
// (or timed out) and its answer, kept until the window is closed.
class RegistrarBlockedNotice : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    QString registrar() const { return m_registrar; }
    QString response() const { return m_response; }

    // Fills the notice unless it already names a server; always asks for the
    // window to be shown.
    void report(const QString &registrar, const QString &response);
    // The window was closed: the next report fills the notice again.
    void clear();

signals:
    void showRequested();
    void contentsChanged();

private:
    QString m_registrar;
    QString m_response;
};
