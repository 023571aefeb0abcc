#include "tests/support/DnsTestServer.h"

#include <QNetworkDatagram>
#include <QtEndian>

namespace {

void appendShort(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

QByteArray encodedName(const QByteArray &dotted)
{
    QByteArray name;
    for (const QByteArray &label : dotted.split('.')) {
        name.append(char(label.size()));
        name.append(label);
    }
    return name.append('\0');
}

} // namespace

DnsTestServer::DnsTestServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &DnsTestServer::readQueries);
}

bool DnsTestServer::listen()
{
    return m_socket.bind(address(), 53);
}

void DnsTestServer::readQueries()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram query = m_socket.receiveDatagram();
        const QByteArray answer = answerTo(query.data());
        if (!answer.isEmpty())
            m_socket.writeDatagram(answer, query.senderAddress(), quint16(query.senderPort()));
    }
}

QByteArray DnsTestServer::answerTo(const QByteArray &query)
{
    if (query.size() < 12)
        return {};
    // The question: labels from offset 12 to the root label, then type and class.
    QByteArray name;
    int at = 12;
    while (at < query.size() && query.at(at) != 0) {
        const int length = quint8(query.at(at));
        if (!name.isEmpty())
            name.append('.');
        name.append(query.mid(at + 1, length));
        at += length + 1;
    }
    const int questionEnd = at + 5;
    if (questionEnd > query.size())
        return {};
    const QString asked = QString::fromLatin1(name).toLower();
    questions << asked;

    if (m_mode == Mode::Silent)
        return {};
    if (m_mode == Mode::Garbage)
        return query.left(2) + QByteArray("\x81\x80\x00\x01\x00\x05garbage", 15);

    const bool delegated = zone.contains(asked);
    QByteArray answer = query.left(2);
    appendShort(answer, delegated ? 0x8180 : 0x8183); // a response, recursion available; NXDOMAIN otherwise
    appendShort(answer, 1);
    appendShort(answer, delegated ? 2 : 0);
    appendShort(answer, 0);
    appendShort(answer, 0);
    answer.append(query.mid(12, questionEnd - 12));
    if (!delegated)
        return answer;
    for (const QByteArray &server : {QByteArray("ns1.dns.example"), QByteArray("ns2.dns.example")}) {
        const QByteArray data = encodedName(server);
        appendShort(answer, 0xC00C); // the name of the question
        appendShort(answer, 2);      // NS
        appendShort(answer, 1);      // IN
        appendShort(answer, 0);
        appendShort(answer, 3600);
        appendShort(answer, quint16(data.size()));
        answer.append(data);
    }
    return answer;
}
