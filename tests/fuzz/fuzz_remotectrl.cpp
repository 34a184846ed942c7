// The simulator's "OPRemoteCtrl" reader against arbitrary text. It runs on
// the simulator's one network thread, so besides memory safety it must take
// time linear in the command (tools/fuzz.sh reports any input that takes a
// second as a finding). What it accepts must be a command the client could
// have meant: decoded fields within their ranges, and the client's own
// encoding of the decoded event read back as that same event.
#include "RemoteCtrlCommand.h"
#include "RemoteCtrlParser.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void fail(const char *what, const std::string &text)
{
    std::fprintf(stderr, "fuzz_remotectrl: %s: %s\n", what, text.c_str());
    std::abort();
}

std::string p1Of(const RemoteCtrlEvent &e)
{
    if (e.msgType == ZT_MSG_MOUSE_MOVE)
        return RemoteCtrlCommand::heldButtonParam(int(e.button));
    return RemoteCtrlCommand::hexValue(e.button);
}

void checkAccepted(const RemoteCtrlEvent &e)
{
    if (e.msgType < ZT_MSG_MOUSE_MOVE || e.msgType > ZT_MSG_RBUTTON_DBLCLK)
        fail("message type out of range", std::to_string(e.msgType));
    const bool wheel = e.msgType == ZT_MSG_MOUSE_WHEEL;
    if (wheel ? (e.button != RemoteCtrlWheelUp && e.button != RemoteCtrlWheelDown)
              : e.button > Key_Map_RightButton)
        fail("button out of range", std::to_string(e.button));
    // Within +-32 Ki pixels every form the client writes splits one way
    // only; beyond, the reader's documented tie-break may choose another.
    auto near = [](std::int32_t v) { return v >= -0x8000 && v <= 0x7fff; };
    if (!near(e.x) || !near(e.y))
        return;
    const std::string again = RemoteCtrlCommand::document(
        RemoteCtrlCommand::hexValue(e.msgType), p1Of(e), RemoteCtrlCommand::hexPosition(e.x, e.y));
    RemoteCtrlEvent back{};
    std::string error;
    if (!RemoteCtrlParser::parse(again, back, error))
        fail("the client's encoding of an accepted event is refused", again + " " + error);
    if (back.msgType != e.msgType || back.button != e.button || back.x != e.x || back.y != e.y)
        fail("the client's encoding reads back as another event", again);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    RemoteCtrlEvent event{7, 7, 7, 7};
    std::string error;
    if (RemoteCtrlParser::parse(text, event, error)) {
        checkAccepted(event);
    } else if (error.empty() || event.msgType != 7 || event.button != 7 || event.x != 7 ||
               event.y != 7) {
        fail("a refusal without a reason, or with the event changed", error);
    }
    return 0;
}
