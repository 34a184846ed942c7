#include "RemoteCtrlCommand.h"

#include <cstdio>

#include <json/value.h>
#include <json/writer.h>

#include "RemoteCtrlTypes.h"

std::string RemoteCtrlCommand::eventCommand(int keyType, int nType, int nWheel, int x, int y)
{
    const std::string p1 = nType == ZT_MSG_MOUSE_WHEEL
                               ? wheelParam(nWheel)
                               : hexValue(static_cast<std::uint32_t>(keyType));
    return document(hexValue(static_cast<std::uint32_t>(nType)), p1, hexPosition(x, y));
}

std::string RemoteCtrlCommand::moveCommand(int nHeldButton, int x, int y)
{
    return document(hexValue(ZT_MSG_MOUSE_MOVE), heldButtonParam(nHeldButton), hexPosition(x, y));
}

std::string RemoteCtrlCommand::document(const std::string &msg, const std::string &p1,
                                        const std::string &p2)
{
    Json::Value root;
    root["msg"] = msg;
    root["P1"] = p1;
    root["P2"] = p2;
    Json::StyledWriter writer;
    return writer.write(root);
}

std::string RemoteCtrlCommand::hexValue(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

std::string RemoteCtrlCommand::hexCoordinate(int value)
{
    char text[24];
    if (value < 0) {
        // The recorder reads a negative coordinate as its sign-extended
        // 64-bit pattern, so it must not be cut to 32 bits.
        const auto pattern = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(pattern));
    } else {
        std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    }
    return text;
}

std::string RemoteCtrlCommand::hexPosition(int x, int y)
{
    return "0x" + hexCoordinate(x) + hexCoordinate(y);
}

std::string RemoteCtrlCommand::wheelParam(int nWheel)
{
    return hexValue(nWheel > 0 ? RemoteCtrlWheelUp : RemoteCtrlWheelDown);
}

std::string RemoteCtrlCommand::heldButtonParam(int nHeldButton)
{
    if (nHeldButton == int(RemoteCtrlNoButton))
        return "0";
    return hexValue(static_cast<std::uint32_t>(nHeldButton));
}
