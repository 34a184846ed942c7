#include "AttackMemory.h"

#include "AttackSim.h"
#include "ProcessUsage.h"
#include "WireClient.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kDefaultMaxConnections = 32;
constexpr int kSettleMs = 2000;
constexpr int kStepTimeoutMs = 2000;
} // namespace

double AttackMemory::kernelTcpMb()
{
    QFile file("/proc/net/sockstat");
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        const int mem = words.indexOf("mem");
        if (words.value(0) == "TCP:" && mem > 0)
            return words.value(mem + 1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
    }
    return 0;
}

AttackMemory::Peak AttackMemory::watch(qint64 pid, const Peak &base)
{
    Peak peak = base;
    for (int lastGrowth = 0;
         peak.seconds < kMaxSeconds &&
         (peak.seconds < kMinSeconds || peak.seconds - lastGrowth < kSteadySeconds);
         ++peak.seconds) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double rss = ProcessUsage::statusMb(pid, "VmRSS");
        lastGrowth = rss > peak.rssMb + 1 ? peak.seconds : lastGrowth;
        peak.rssMb = std::max(peak.rssMb, rss);
        peak.kernelMb = std::max(peak.kernelMb, kernelTcpMb());
    }
    return peak;
}

bool AttackMemory::run(int clients, bool fixedRate, Json::Value &figures, QString &error)
{
    AttackSim sim;
    QStringList options;
    if (clients > kDefaultMaxConnections)
        options << "--max-connections" << QString::number(clients);
    if (fixedRate)
        options << "--fixed-rate";
    if (!sim.start(options, error))
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    Peak base;
    base.rssMb = ProcessUsage::statusMb(sim.pid(), "VmRSS");
    base.kernelMb = kernelTcpMb();
    std::vector<std::unique_ptr<WireClient>> players;
    for (int i = 0; i < clients; ++i) {
        auto c = std::make_unique<WireClient>();
        if (c->connectTo(sim.port(), WireClient::loopback(i), kStepTimeoutMs) &&
            c->login(kStepTimeoutMs) && c->realPlay(kStepTimeoutMs))
            players.push_back(std::move(c));
    }
    const Peak peak = watch(sim.pid(), base);
    const std::string n = "clients" + std::to_string(clients) + (fixedRate ? "_fixedrate" : "");
    figures[n + "_playing"] = int(players.size());
    figures[n + "_rss_base_mb"] = base.rssMb;
    figures[n + "_rss_added_mb"] = peak.rssMb - base.rssMb;
    figures[n + "_hwm_mb"] = ProcessUsage::statusMb(sim.pid(), "VmHWM");
    figures[n + "_kernel_tcp_added_mb"] = peak.kernelMb - base.kernelMb;
    figures[n + "_seconds"] = peak.seconds;
    std::fprintf(stderr,
                 "[attack] memory, %d of %d playing unread%s: simulator %.0f -> %.0f MiB (+%.0f), "
                 "kernel TCP +%.0f MiB, after %d s\n",
                 int(players.size()), clients, fixedRate ? " (fixed rate)" : "", base.rssMb,
                 peak.rssMb, peak.rssMb - base.rssMb, peak.kernelMb - base.kernelMb, peak.seconds);
    return true;
}
