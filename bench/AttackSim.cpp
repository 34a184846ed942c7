#include "AttackSim.h"

#include "ExitGuard.h"
#include "SimProcess.h"

#include <cstdio>

namespace {
QStringList &commonOptions()
{
    static QStringList options;
    return options;
}
} // namespace

void AttackSim::setCommonOptions(const QStringList &options)
{
    commonOptions() = options;
}

AttackSim::AttackSim() : m_sim(std::make_unique<SimProcess>()) {}

AttackSim::~AttackSim()
{
    stop();
}

bool AttackSim::start(const QStringList &options, QString &error)
{
    if (qEnvironmentVariableIsSet("TV_ATTACK_KEEP_LOGS")) {
        m_temp.setAutoRemove(false);
        std::fprintf(stderr, "[attack] simulator log: %s\n",
                     qPrintable(m_temp.filePath("sim.log")));
    }
    m_sim->setLogFile(m_temp.filePath("sim.log"));
    const bool started =
        m_sim->start(QStringList{"--serial", serial()} + options + commonOptions());
    m_pid = m_sim->pid();
    if (m_pid > 0)
        ExitGuard::watch(m_pid);
    if (!started)
        error = "the simulator did not start";
    return started;
}

void AttackSim::stop()
{
    m_sim->stop();
    if (m_pid > 0)
        ExitGuard::forget(m_pid);
    m_pid = 0;
}

quint16 AttackSim::port() const
{
    return m_sim->port();
}

quint16 AttackSim::p2pPort() const
{
    return m_sim->p2pPort();
}
