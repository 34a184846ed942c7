#include "SimMenuContent.h"

#include <array>

namespace {

const std::array<const char *, 16> kChannelNames = {
    "Front Gate", "Parking North", "Lobby",       "Loading Bay", "Warehouse A", "Warehouse B",
    "Back Door",  "Corridor 1",    "Corridor 2",  "Server Room", "Garden",      "Parking South",
    "Roof",       "Stairs East",   "Stairs West", "Reception"};

const char *const kEvents[] = {"Motion detected", "Video loss", "Recording started",
                               "Login admin",     "Disk check", "Network restored"};

QString channelLabel(int channel)
{
    return QString("CH%1").arg(channel + 1, 2, 10, QChar('0'));
}

} // namespace

QString SimMenuContent::channelName(int channel)
{
    return kChannelNames[static_cast<size_t>(channel) % kChannelNames.size()];
}

bool SimMenuContent::channelOnline(int channel)
{
    return channel < 12;
}

QStringList SimMenuContent::contextItems()
{
    return {"Main Menu", "Single View",    "4 Views",   "9 Views",
            "16 Views",  "Previous Group", "Next Group"};
}

QStringList SimMenuContent::categories()
{
    return {"Channels", "Recording", "Playback", "Event Log",
            "Network",  "Storage",   "System",   "Device Info"};
}

QStringList SimMenuContent::columns(int category)
{
    switch (category) {
    case 0:
        return {"Channel", "Name", "Status"};
    case 1:
        return {"Channel", "Schedule", "Stream"};
    case 2:
        return {"Date", "Channel", "Length"};
    case 3:
        return {"Time", "Event", "Source"};
    case 4:
        return {"Setting", "Value", ""};
    case 5:
        return {"Disk", "Capacity", "State"};
    case 6:
        return {"Setting", "Value", ""};
    default:
        return {"Item", "Value", ""};
    }
}

int SimMenuContent::rowCount(int category)
{
    switch (category) {
    case 2:
        return 48;
    case 3:
        return 120;
    case 4:
        return 9;
    case 5:
        return 4;
    case 6:
        return 10;
    case 7:
        return 7;
    default:
        return 16;
    }
}

QStringList SimMenuContent::row(int category, int index)
{
    const int ch = index % 16;
    switch (category) {
    case 0:
        return {channelLabel(ch), channelName(ch), channelOnline(ch) ? "Online" : "No Video"};
    case 1:
        return {channelLabel(ch), index % 3 == 0 ? "Motion only" : "Always",
                index % 2 ? "1920x1080 15 fps" : "1920x1080 25 fps"};
    case 2:
        return {QString("2026-12-%1 %2:00")
                    .arg(8 - index / 12, 2, 10, QChar('0'))
                    .arg(23 - index % 12 * 2, 2, 10, QChar('0')),
                channelLabel(index * 5 % 12), QString("%1 min").arg(10 + index * 7 % 50)};
    case 3:
        return {QString("2026-12-08 %1:%2:%3")
                    .arg(13 - index / 60, 2, 10, QChar('0'))
                    .arg(59 - index % 60, 2, 10, QChar('0'))
                    .arg(index * 17 % 60, 2, 10, QChar('0')),
                kEvents[index % 6], channelLabel(index * 7 % 16)};
    case 4: {
        static const char *const rows[][2] = {{"DHCP", "Off"},
                                              {"Address", "192.168.1.108"},
                                              {"Netmask", "255.255.255.0"},
                                              {"Gateway", "192.168.1.1"},
                                              {"DNS", "192.168.1.1"},
                                              {"Media port", "34567"},
                                              {"Web port", "80"},
                                              {"Cloud", "Connected"},
                                              {"MTU", "1500"}};
        return {rows[index][0], rows[index][1], ""};
    }
    case 5:
        return {QString("Disk %1").arg(index + 1), index < 2 ? "4000 GB" : "-",
                index < 2 ? QString("Recording, %1% used").arg(78 - index * 31) : "Empty bay"};
    case 6: {
        static const char *const rows[][2] = {
            {"Language", "English"},    {"Date format", "YYYY-MM-DD"}, {"Time zone", "UTC"},
            {"Video output", "VGA"},    {"Auto logout", "10 min"},     {"Menu opacity", "90%"},
            {"Boot wizard", "Off"},     {"Screen saver", "Off"},       {"Daylight saving", "Off"},
            {"Device name", "Recorder"}};
        return {rows[index][0], rows[index][1], ""};
    }
    default: {
        static const char *const rows[][2] = {
            {"Model", "NVR-16"},          {"Firmware", "4.2.7 build 2611"},
            {"Channels", "16"},           {"Serial", "5c1e9a7b30d4f812"},
            {"Uptime", "12 days 04:11"},  {"Hardware", "Rev. C"},
            {"Video output", "1920x1080"}};
        return {rows[index][0], rows[index][1], ""};
    }
    }
}
