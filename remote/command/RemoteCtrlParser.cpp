#include "RemoteCtrlParser.h"

#include <json/json.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace {

bool isLowerHex(const std::string &s)
{
    if (s.empty())
        return false;
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// "0x" + lower-case digits without leading zeros.
std::optional<uint64_t> plainHex(const std::string &s)
{
    if (s.size() < 3 || s.size() > 18 || s.compare(0, 2, "0x") != 0)
        return std::nullopt;
    const std::string digits = s.substr(2);
    if (!isLowerHex(digits) || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    return std::strtoull(digits.c_str(), nullptr, 16);
}

// One coordinate of P2, or nothing when the digits cannot be one.
std::optional<int32_t> coordinate(const std::string &digits)
{
    const size_t n = digits.size();
    const uint64_t v = std::strtoull(digits.c_str(), nullptr, 16);
    if (n == 4)
        return static_cast<int32_t>(v);
    if (n >= 5 && n <= 8) {
        if (digits[0] == '0' || v > 0x7fffffffu)
            return std::nullopt;
        return static_cast<int32_t>(v);
    }
    if (n == 16) {
        if (v < 0xffffffff80000000ull)
            return std::nullopt;
        return static_cast<int32_t>(static_cast<int64_t>(v));
    }
    return std::nullopt;
}

// Two coordinates are at most 16 digits each; refusing anything longer
// first keeps the split below a fixed amount of work per command.
constexpr size_t kMaxP2Digits = 32;

bool position(const std::string &p2, int32_t &x, int32_t &y, std::string &error)
{
    if (p2.size() < 10 || p2.size() > 2 + kMaxP2Digits || p2.compare(0, 2, "0x") != 0 ||
        !isLowerHex(p2.substr(2))) {
        error = "P2 must be \"0x\" and 8 to 32 lower-case hexadecimal digits";
        return false;
    }
    const std::string digits = p2.substr(2);
    struct Split
    {
        int32_t x, y;
        int64_t reach;
    };
    std::vector<Split> splits;
    for (size_t k = 4; k + 4 <= digits.size(); ++k) {
        auto cx = coordinate(digits.substr(0, k));
        auto cy = coordinate(digits.substr(k));
        if (cx && cy)
            splits.push_back({*cx, *cy, std::max(std::llabs(*cx), std::llabs(*cy))});
    }
    if (splits.empty()) {
        error = "P2 \"" + p2 + "\" is not two coordinates";
        return false;
    }
    const Split *best = &splits[0];
    bool tie = false;
    for (size_t i = 1; i < splits.size(); ++i) {
        if (splits[i].reach < best->reach) {
            best = &splits[i];
            tie = false;
        } else if (splits[i].reach == best->reach) {
            tie = true;
        }
    }
    if (tie) {
        error = "P2 \"" + p2 + "\" splits into coordinates in more than one way";
        return false;
    }
    x = best->x;
    y = best->y;
    return true;
}

bool button(uint32_t msg, const std::string &p1, uint32_t &out, std::string &error)
{
    auto ok = [&](uint32_t v) {
        out = v;
        return true;
    };
    switch (msg) {
    case ZT_MSG_MOUSE_WHEEL:
        if (p1 == "0xffff0000")
            return ok(RemoteCtrlWheelUp);
        if (p1 == "0x10000")
            return ok(RemoteCtrlWheelDown);
        break;
    case ZT_MSG_MOUSE_MOVE:
        if (p1 == "0")
            return ok(RemoteCtrlNoButton);
        if (p1 == "0x1")
            return ok(Key_Map_LeftButton);
        if (p1 == "0x2")
            return ok(Key_Map_RightButton);
        break;
    case ZT_MSG_LBUTTON_DOWN:
    case ZT_MSG_LBUTTON_UP:
    case ZT_MSG_LBUTTON_DBLCLK:
        if (p1 == "0x1")
            return ok(Key_Map_LeftButton);
        break;
    default:
        if (p1 == "0x2")
            return ok(Key_Map_RightButton);
        break;
    }
    std::ostringstream s;
    s << "P1 \"" << p1 << "\" does not fit message 0x" << std::hex << msg;
    error = s.str();
    return false;
}

// A command is a flat object of three short texts, about eighty bytes as the
// client writes it. Anything far larger or deeper is refused before it costs
// the reader's thread more than a glance; JsonCpp reports a nesting beyond
// its stack limit by throwing, which must not reach the caller's event loop.
constexpr std::size_t kMaxCommandBytes = 4096;
constexpr int kMaxDepth = 4;
// Commas, colons and brackets: a command has about a dozen. JsonCpp builds a
// value for each member, which costs far more than the bytes it reads: a
// 4 KiB array of two thousand zeros took 0.7 ms, so it is refused unread.
constexpr std::size_t kMaxStructure = 64;

bool readJson(const std::string &text, Json::Value &root, std::string &error)
{
    if (text.size() > kMaxCommandBytes) {
        error = "the command is longer than " + std::to_string(kMaxCommandBytes) + " bytes";
        return false;
    }
    const std::size_t structure = std::size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return c == ',' || c == ':' || c == '[' || c == '{';
    }));
    if (structure > kMaxStructure) {
        error = "the command has more than " + std::to_string(kMaxStructure) + " members";
        return false;
    }
    // Building a reader costs more than reading a command: one per thread.
    static thread_local const std::unique_ptr<Json::CharReader> reader = [] {
        Json::CharReaderBuilder builder;
        Json::CharReaderBuilder::strictMode(&builder.settings_);
        builder.settings_["stackLimit"] = kMaxDepth;
        return std::unique_ptr<Json::CharReader>(builder.newCharReader());
    }();
    std::string errs;
    try {
        if (reader->parse(text.data(), text.data() + text.size(), &root, &errs))
            return true;
    } catch (const std::exception &e) {
        errs = e.what();
    }
    error = "not a JSON document: " + errs;
    return false;
}

bool parseObject(const std::string &json, Json::Value &root, std::string &error)
{
    std::string text = json;
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    if (!readJson(text, root, error))
        return false;
    if (!root.isObject()) {
        error = "the command is not a JSON object";
        return false;
    }
    for (const char *name : {"msg", "P1", "P2"}) {
        if (!root.isMember(name) || !root[name].isString()) {
            error = std::string("member \"") + name + "\" is missing or not a string";
            return false;
        }
    }
    if (root.size() != 3) {
        error = "the command has members other than msg, P1 and P2";
        return false;
    }
    return true;
}

} // namespace

bool RemoteCtrlParser::parse(const std::string &json, RemoteCtrlEvent &event, std::string &error)
{
    Json::Value root;
    if (!parseObject(json, root, error))
        return false;
    const std::string msgText = root["msg"].asString();
    const auto msg = plainHex(msgText);
    if (!msg || *msg < ZT_MSG_MOUSE_MOVE || *msg > ZT_MSG_RBUTTON_DBLCLK) {
        error = "msg \"" + msgText + "\" is not a known message type";
        return false;
    }
    RemoteCtrlEvent decoded{static_cast<uint32_t>(*msg), 0, 0, 0};
    if (!button(decoded.msgType, root["P1"].asString(), decoded.button, error))
        return false;
    if (!position(root["P2"].asString(), decoded.x, decoded.y, error))
        return false;
    event = decoded;
    return true;
}
