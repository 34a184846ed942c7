#pragma once
// A recorder that misbehaves on the wire: a loopback TCP proxy in front of
// the simulator that forwards both ways and, at a chosen frame of the
// recorder's side, replaces that frame with a fault. Frame 0 is the login
// challenge, so small numbers hit the login and larger ones the stream.
//
// Threads: the proxy runs its sockets on a thread of its own, because the
// client's SDK calls block the test's thread while they wait for it. start()
// and the destructor run on the test's thread; injected() may be read from
// any thread.

#include <QThread>

#include <atomic>

class QTcpSocket;

class FaultProxy : public QThread
{
    Q_OBJECT
public:
    enum Fault
    {
        None,       // forward everything
        Garbage,    // bytes that are not a frame at all
        HugeLength, // a media header announcing a 4 GiB body
        HalfFrame,  // the first half of the frame, then silence both ways
    };

    FaultProxy(quint16 recorderPort, Fault fault, int atFrame);
    ~FaultProxy() override;

    // Listens on an ephemeral loopback port; 0 when that failed.
    quint16 start();
    bool injected() const { return m_injected; }
    // Recorder frames that reached the client so far.
    int forwarded() const { return m_forwarded; }

protected:
    void run() override;

private:
    void forwardFromRecorder(QTcpSocket *recorder, QTcpSocket *client);
    void inject(QTcpSocket *client, const QByteArray &frame);

    const quint16 m_recorderPort;
    const Fault m_fault;
    const int m_atFrame;
    std::atomic<quint16> m_port{0};
    std::atomic<bool> m_listening{false};
    std::atomic<bool> m_injected{false};
    std::atomic<int> m_forwarded{0};
    std::atomic<bool> m_ran{false}; // set last by the proxy thread
    bool m_silent = false;          // proxy thread only
    int m_frames = 0;               // proxy thread only
    QByteArray m_pending;           // proxy thread only: recorder bytes not yet a frame
};
