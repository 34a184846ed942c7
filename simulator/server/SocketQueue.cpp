#include "SocketQueue.h"

#include <cstddef>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

SocketQueue SocketQueue::read(int fd)
{
    SocketQueue q;
    int outq = 0;
    if (::ioctl(fd, SIOCOUTQ, &outq) == 0 && outq > 0)
        q.queuedBytes = outq;
    tcp_info info{};
    socklen_t size = sizeof info;
    // An older kernel fills less of the structure; only what it filled counts.
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
        size >= offsetof(tcp_info, tcpi_min_rtt) + sizeof info.tcpi_min_rtt)
        q.minRttUs = info.tcpi_min_rtt;
    return q;
}
