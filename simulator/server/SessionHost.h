#pragma once
// What a session needs of the server it belongs to, and nothing more: the
// options, the display, the command log, session ids and admission of its
// viewer. The server never calls a session back.

#include <QtGlobal>

class CommandLog;
class SimDisplayStream;
struct SimOptions;
class ViewerHub;

class SessionHost
{
public:
    virtual ~SessionHost() = default;
    virtual const SimOptions &options() const = 0;
    virtual SimDisplayStream &display() = 0;
    virtual CommandLog &commandLog() = 0;
    virtual quint32 newSessionId() = 0;
    virtual ViewerHub &viewers() = 0;
};
