#include "FaultProxy.h"

#include "ProtocolDecoder.h"
#include "WireFormat.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

FaultProxy::FaultProxy(quint16 recorderPort, Fault fault, int atFrame)
    : m_recorderPort(recorderPort), m_fault(fault), m_atFrame(atFrame)
{
}

FaultProxy::~FaultProxy()
{
    quit();
    wait();
    // The thread sanitizer cannot see Qt's join; this acquire pairs with the
    // release at the end of run(), so the proxy thread's last accesses are
    // seen to come before the memory is reused.
    (void)m_ran.load(std::memory_order_acquire);
}

quint16 FaultProxy::start()
{
    QThread::start();
    QElapsedTimer waited;
    waited.start();
    while (!m_listening && isRunning() && waited.elapsed() < 5000)
        QThread::msleep(1); // the thread has no event loop to signal from yet
    return m_port;
}

void FaultProxy::run()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return m_ran.store(true, std::memory_order_release);
    m_port = server.serverPort();
    m_listening = true;
    connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
        QTcpSocket *client = server.nextPendingConnection();
        auto *recorder = new QTcpSocket(client);
        recorder->connectToHost(QHostAddress::LocalHost, m_recorderPort);
        connect(client, &QTcpSocket::readyRead, client, [this, client, recorder] {
            const QByteArray bytes = client->readAll();
            if (!m_silent)
                recorder->write(bytes);
        });
        connect(recorder, &QTcpSocket::readyRead, client,
                [this, client, recorder] { forwardFromRecorder(recorder, client); });
        connect(recorder, &QTcpSocket::disconnected, client, [this, client] {
            if (!m_silent)
                client->disconnectFromHost();
        });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    });
    exec();
    server.close();
    m_ran.store(true, std::memory_order_release);
}

void FaultProxy::forwardFromRecorder(QTcpSocket *recorder, QTcpSocket *client)
{
    m_pending += recorder->readAll();
    while (!m_silent) {
        tvwire::Frame frame;
        std::size_t consumed = 0;
        std::string error;
        const auto result = tvwire::ProtocolDecoder::decode(
            reinterpret_cast<const std::uint8_t *>(m_pending.constData()),
            std::size_t(m_pending.size()), frame, consumed, error);
        if (result != tvwire::ProtocolDecoder::Complete)
            return;
        const QByteArray bytes = m_pending.left(int(consumed));
        m_pending.remove(0, int(consumed));
        if (m_fault != None && m_frames++ == m_atFrame) {
            inject(client, bytes);
        } else {
            client->write(bytes);
            ++m_forwarded;
        }
    }
}

void FaultProxy::inject(QTcpSocket *client, const QByteArray &frame)
{
    switch (m_fault) {
    case None:
        break;
    case Garbage:
        client->write(QByteArray("\x17\xfe garbage, not a frame \x00\x01\x02", 28).repeated(8));
        break;
    case HugeLength: {
        // A well-formed header but for its length, with the frame's own
        // session id, so only the length can be what the client refuses.
        QByteArray header = frame.left(int(tvwire::kHeaderSize));
        header[6] = char(tvwire::MsgMedia);
        header[7] = 0;
        for (int i = 16; i < 20; ++i)
            header[i] = char(0xff);
        client->write(header + QByteArray(1024, '\0'));
        break;
    }
    case HalfFrame:
        client->write(frame.left(frame.size() / 2));
        break;
    }
    client->flush();
    m_silent = true; // after a fault the recorder says nothing more
    m_injected = true;
}
