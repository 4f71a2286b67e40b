// Registered window messages and the channel that carries them from a second copy of the program
// to the first one: a local socket that only the same user may use.
#pragma once

#include "platform/Text.h"

#include <QLocalServer>
#include <functional>

class TNamedSemaphore;
class QLocalSocket;

// A number >= 0xC000 for a message name, the same for the same name (letter case ignored) for the
// whole process; 0 for an empty name.
unsigned RegisterWindowMessage(const AnsiString &name);

// The socket of the first copy, next to its lock file (see InstanceKey).
AnsiString InstanceChannelPath(const AnsiString &name, const AnsiString &settingsPath);

// The first copy's end of the channel. Messages are delivered one by one on the thread that created
// the server (the GUI thread); the sender gets its answer when the handler has returned.
class TMessageServer
{
public:
    using THandler = std::function<void(unsigned msg, const AnsiString &message, const AnsiString &data)>;

    TMessageServer();
    ~TMessageServer();
    TMessageServer(const TMessageServer &) = delete;
    TMessageServer &operator=(const TMessageServer &) = delete;

    // Listens on the channel of the lock's name and settings file. Only the holder of the lock may
    // listen: it alone may remove a socket name left behind by a crashed copy.
    bool Listen(const TNamedSemaphore &lock);
    bool IsListening() const { return FServer.isListening(); }

    THandler OnMessage;

private:
    void Accept();
    void Receive(QLocalSocket *socket, QByteArray &buffer);

    QLocalServer FServer;
};

// Sends one message to the first copy and waits for its answer, so that a sequence of sends is
// handled in order. False at once when no copy listens; false when the answer does not come within
// timeoutMs or the connection breaks; false when the first copy could not handle the message.
bool SendMessageToFirstCopy(const AnsiString &name, const AnsiString &settingsPath, const AnsiString &message,
                            const AnsiString &data, int timeoutMs = 30000);
