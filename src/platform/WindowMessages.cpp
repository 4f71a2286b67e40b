#include "platform/WindowMessages.h"
#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>

#include <map>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

unsigned RegisterWindowMessage(const AnsiString &name)
{
    static std::mutex guard;
    static std::map<AnsiString, unsigned> numbers;
    if (name.empty())
        return 0;
    const std::lock_guard<std::mutex> lock(guard);
    const auto [it, added] = numbers.try_emplace(AnsiUpperCase(name), 0xC000u + unsigned(numbers.size()));
    return it->second;
}

AnsiString InstanceChannelPath(const AnsiString &name, const AnsiString &settingsPath)
{
    return InstanceRuntimeDir() + "/" + InstanceKey(name, settingsPath) + ".sock";
}

// A message on the wire: the name and the data, each as a 32-bit big-endian length and its bytes,
// so that no byte of the data can end it early. The answer is one byte: 1 handled, 0 not.
namespace {

constexpr quint32 MaxPartLength = 16u << 20;

void AppendPart(QByteArray &out, const AnsiString &part)
{
    char length[4];
    qToBigEndian(quint32(part.size()), length);
    out.append(length, 4);
    out.append(part.data(), qsizetype(part.size()));
}

enum class TParse { Incomplete, Complete, Bad };

TParse TakePart(const QByteArray &in, qsizetype &pos, AnsiString &part)
{
    if (in.size() - pos < 4)
        return TParse::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(in.constData() + pos);
    if (length > MaxPartLength)
        return TParse::Bad;
    if (in.size() - pos - 4 < qsizetype(length))
        return TParse::Incomplete;
    part.assign(in.constData() + pos + 4, length);
    pos += 4 + qsizetype(length);
    return TParse::Complete;
}

TParse ParseMessage(const QByteArray &in, AnsiString &message, AnsiString &data)
{
    qsizetype pos = 0;
    const TParse first = TakePart(in, pos, message);
    if (first != TParse::Complete)
        return first;
    const TParse second = TakePart(in, pos, data);
    if (second == TParse::Complete && pos != in.size())
        return TParse::Bad;
    return second;
}

bool PeerIsSameUser(qintptr descriptor)
{
    struct ucred peer;
    socklen_t size = sizeof peer;
    return getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

} // namespace

TMessageServer::TMessageServer()
{
    QObject::connect(&FServer, &QLocalServer::newConnection, &FServer, [this] { Accept(); });
}

TMessageServer::~TMessageServer() = default;

bool TMessageServer::Listen(const TNamedSemaphore &lock)
{
    if (!lock.Held())
        return false;
    const QString path = ToQPath(InstanceChannelPath(lock.Name(), lock.SettingsPath()));
    QLocalServer::removeServer(path);
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    return FServer.listen(path);
}

void TMessageServer::Accept()
{
    while (QLocalSocket *socket = FServer.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!PeerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [this, socket, buffer] { Receive(socket, *buffer); });
        if (socket->bytesAvailable() > 0)
            Receive(socket, *buffer);
    }
}

void TMessageServer::Receive(QLocalSocket *socket, QByteArray &buffer)
{
    buffer.append(socket->readAll());
    AnsiString message, data;
    const TParse parsed = ParseMessage(buffer, message, data);
    if (parsed == TParse::Incomplete)
        return;
    if (parsed == TParse::Bad) {
        socket->abort();
        return;
    }
    // One message per connection. The handler may run a nested event loop in which this server or
    // the socket goes away: keep a copy of the handler and watch the socket.
    QObject::disconnect(socket, &QLocalSocket::readyRead, socket, nullptr);
    const QPointer<QLocalSocket> alive(socket);
    const THandler handler = OnMessage;
    char answer = 0;
    try {
        if (handler) {
            handler(RegisterWindowMessage(message), message, data);
            answer = 1;
        }
    } catch (const std::exception &e) {
        qWarning("Message \"%s\" failed: %s", message.c_str(), e.what());
    } catch (...) {
        qWarning("Message \"%s\" failed", message.c_str());
    }
    if (!alive)
        return;
    socket->write(&answer, 1);
    socket->disconnectFromServer();
}

bool SendMessageToFirstCopy(const AnsiString &name, const AnsiString &settingsPath, const AnsiString &message,
                            const AnsiString &data, int timeoutMs)
{
    if (message.size() > MaxPartLength || data.size() > MaxPartLength)
        return false;
    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    const auto left = [&] { return int(deadline.remainingTime()); };
    QLocalSocket socket;
    socket.connectToServer(ToQPath(InstanceChannelPath(name, settingsPath)));
    if (!socket.waitForConnected(left()) || !PeerIsSameUser(socket.socketDescriptor()))
        return false;
    QByteArray frame;
    AppendPart(frame, message);
    AppendPart(frame, data);
    socket.write(frame);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(left()))
            return false;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(left()))
            return false;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == 1;
}
