#include "AttackCostly.h"

#include "AttackSim.h"
#include "Samples.h"
#include "WireClient.h"
#include "sdk/protocol/Messages.h"
#include "sdk/protocol/WireFormat.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kStepTimeoutMs = 2000;
constexpr std::size_t kMaxCommandBytes = 4096;

// Sends batches of costly commands until told to stop, each batch before
// the answers to the one before it are read; counts the answered ones.
void flood(std::uint16_t port, const std::atomic<bool> &stop, std::atomic<int> &answered)
{
    WireClient client;
    if (!client.connectTo(port, WireClient::loopback(1), kStepTimeoutMs) ||
        !client.login(kStepTimeoutMs))
        return;
    tvwire::JsonCommand command;
    command.name = tvsdk::kRemoteCtrlCommand;
    command.msgId = tvsdk::kRemoteCtrlMsgId;
    command.channel = tvsdk::kRemoteCtrlChannel;
    const std::string text = AttackCostly::costlyText();
    command.json.assign(text.begin(), text.end());
    const std::vector<std::uint8_t> body = tvwire::encodeBody(command);
    bool first = true;
    while (!stop) {
        std::vector<std::uint8_t> batch;
        for (int i = 0; i < AttackCostly::kBatch; ++i) {
            const std::vector<std::uint8_t> f = client.frame(tvwire::MsgJsonCommand, body);
            batch.insert(batch.end(), f.begin(), f.end());
        }
        if (!client.sendRaw(batch))
            return;
        for (int i = 0; !first && i < AttackCostly::kBatch; ++i) {
            tvwire::Frame reply;
            if (!client.nextOf(tvwire::MsgJsonReply, reply, 5000))
                return;
            ++answered;
        }
        first = false;
    }
}
} // namespace

std::string AttackCostly::costlyText()
{
    // {"a":[0,0,...]}: of the shapes tried (nested arrays, objects, long
    // numbers, escapes), one wide array of zeros cost the reader the most.
    std::string text = "{\"a\":[0";
    while (text.size() + 2 + 2 < kMaxCommandBytes)
        text += ",0";
    return text + "]}";
}

void AttackCostly::keepAlives(std::uint16_t port, const std::string &prefix, Json::Value &figures)
{
    WireClient client;
    Samples ms;
    int lost = 0;
    if (client.connectTo(port, WireClient::loopback(0), kStepTimeoutMs) &&
        client.login(kStepTimeoutMs)) {
        const Clock::time_point end = Clock::now() + std::chrono::seconds(kSeconds);
        while (Clock::now() < end) {
            const Clock::time_point sent = Clock::now();
            tvwire::Frame reply;
            if (!client.send(tvwire::MsgKeepAlive, {}) ||
                !client.nextOf(tvwire::MsgKeepAliveReply, reply, kStepTimeoutMs)) {
                ++lost;
                break;
            }
            ms.add(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(kKeepAliveEveryMs));
        }
    }
    figures[prefix + "_keepalive_p50_ms"] = ms.median();
    figures[prefix + "_keepalive_p99_ms"] = ms.percentile(99);
    figures[prefix + "_keepalive_max_ms"] = ms.max();
    figures[prefix + "_keepalives"] = ms.count();
    figures[prefix + "_keepalives_lost"] = lost;
    std::fprintf(stderr, "[attack] costly %s: keep-alive p50 %.2f p99 %.2f max %.2f ms (%d)\n",
                 prefix.c_str(), ms.median(), ms.percentile(99), ms.max(), ms.count());
}

bool AttackCostly::run(Json::Value &figures, QString &error)
{
    AttackSim sim;
    if (!sim.start({}, error))
        return false;
    keepAlives(sim.port(), "quiet", figures);
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::thread attacker([&] { flood(sim.port(), stop, answered); });
    const Clock::time_point begin = Clock::now();
    keepAlives(sim.port(), "attack", figures);
    stop = true;
    attacker.join();
    figures["attack_commands_per_s"] =
        answered / std::chrono::duration<double>(Clock::now() - begin).count();
    return true;
}
