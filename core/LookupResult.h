#pragma once

#include "core/ReplyFacts.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One name's answer, from the wire to every view: made once where the name
// ended (the history, DNS or the registry) and passed on unchanged to the
// history, the lists, the export and every command's output.
struct LookupResult
{
    enum class Kind { Available, Registered, Blocked, Timeout, Error };
    // Why a lookup got no verdict.
    enum class ErrorKind {
        None,
        NoTldEntry, // no entry of the TLD table answers for the name
        Network,    // the connection failed; errorString holds the socket's description
        NoReply,    // connected, or still connecting, but no reply came in time
        EmptyReply, // the server closed or reset the connection before sending a byte
        BadName,    // the name has no valid ASCII form, or is too long to ask for
        BadRow,     // the name's TLD row names no server or port that can be asked
    };

    LookupResult() = default;
    LookupResult(int slotNumber, QString name, QString serverName, Kind endKind)
        : slot(slotNumber)
        , domain(std::move(name))
        , server(std::move(serverName))
        , kind(endKind)
    {
    }

    int slot = 0;
    QString domain; // the prepared name that was asked for
    QString server;
    Kind kind = Kind::Error;
    // The address the reply came from (the server's name when no connection
    // was made), and the reply as received.
    QString remoteAddress;
    QByteArray reply;
    ErrorKind error = ErrorKind::None;
    QString errorString;
    // The evidence that decided, for the user: "phrase:No match", "dns:NS",
    // "history:2026-11-20", ...
    QString reason;

    // Who answered.
    enum class Source { None, History, Dns, Registry };
    enum class Protocol { None, Whois, Rdap };

    // The name as the list or the user gave it, and its bytes on the wire.
    QString given;
    QByteArray sent;
    Source source = Source::None;
    Protocol protocol = Protocol::None;
    QDateTime answeredAt; // UTC
    ReplyFacts facts;

    bool hasVerdict() const { return kind == Kind::Available || kind == Kind::Registered; }

    static QString kindText(Kind kind);
};
