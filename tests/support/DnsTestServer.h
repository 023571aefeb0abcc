#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUdpSocket>

// A DNS responder on 127.0.0.1, UDP port 53 (the only port Qt's resolver
// asks), for tests. Names in the zone get an NS answer, any other name
// NXDOMAIN; it can instead stay silent or answer garbage. Binding port 53
// needs root: listen() is false otherwise and the test skips.
class DnsTestServer : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Answer, Silent, Garbage };

    explicit DnsTestServer(QObject *parent = nullptr);

    bool listen();
    static QHostAddress address() { return QHostAddress(QHostAddress::LocalHost); }

    void setMode(Mode mode) { m_mode = mode; }
    // Names (lower case, no final dot) that are delegated.
    QSet<QString> zone;
    // Every name asked, in arrival order.
    QStringList questions;

private:
    void readQueries();
    QByteArray answerTo(const QByteArray &query);

    QUdpSocket m_socket;
    Mode m_mode = Mode::Answer;
};
