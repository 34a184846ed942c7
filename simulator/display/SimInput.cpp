#include "SimInput.h"

#include "SimLayout.h"
#include "SimMenuContent.h"

#include <algorithm>

namespace {

QString channelText(int channel)
{
    return QString("CH%1 %2")
        .arg(channel + 1, 2, 10, QChar('0'))
        .arg(SimMenuContent::channelName(channel));
}

} // namespace

void SimInput::apply(SimUiState &state, QSize size, const RemoteCtrlEvent &event)
{
    // The pointer stays on the display however far a drag went.
    state.cursor = QPoint(std::clamp<int32_t>(event.x, 0, size.width() - 1),
                          std::clamp<int32_t>(event.y, 0, size.height() - 1));
    const int hit = SimLayout(size, state).hit(state.cursor);
    switch (event.msgType) {
    case ZT_MSG_MOUSE_MOVE:
        break;
    case ZT_MSG_LBUTTON_DOWN:
        leftDown(state, hit);
        break;
    case ZT_MSG_LBUTTON_UP:
        leftUp(state, hit);
        break;
    case ZT_MSG_LBUTTON_DBLCLK:
        leftDouble(state, hit);
        break;
    case ZT_MSG_RBUTTON_UP:
        rightUp(state, state.cursor);
        break;
    case ZT_MSG_MOUSE_WHEEL:
        wheel(state, size, event.button == RemoteCtrlWheelUp);
        break;
    default:
        break;
    }
    state.hovered = SimLayout(size, state).hit(state.cursor);
}

void SimInput::leftDown(SimUiState &state, int hit)
{
    if (state.overlay == SimUiState::Overlay::ContextMenu &&
        (hit < SimLayout::ContextItem || hit >= SimLayout::MenuBackdrop)) {
        // A click beside the context menu only closes it.
        state.overlay = SimUiState::Overlay::None;
        state.pressed = SimLayout::None;
        return;
    }
    state.pressed = hit;
    if (hit >= SimLayout::Tile && hit < SimLayout::ContextItem) {
        state.selectedChannel = hit - SimLayout::Tile;
        state.notice = channelText(state.selectedChannel) + " selected";
    }
}

void SimInput::leftUp(SimUiState &state, int hit)
{
    const int pressed = state.pressed;
    state.pressed = SimLayout::None;
    if (pressed != SimLayout::None && pressed == hit)
        activate(state, hit);
}

void SimInput::leftDouble(SimUiState &state, int hit)
{
    // The double-click arrives in place of the second press.
    state.pressed = hit;
    if (hit < SimLayout::Tile || hit >= SimLayout::ContextItem ||
        state.overlay != SimUiState::Overlay::None)
        return;
    const int channel = hit - SimLayout::Tile;
    state.fullChannel = state.fullChannel >= 0 ? -1 : channel;
    state.selectedChannel = channel;
    state.notice = state.fullChannel >= 0 ? channelText(channel) + " full screen" : "Live view";
}

void SimInput::rightUp(SimUiState &state, QPoint at)
{
    state.pressed = SimLayout::None;
    if (state.overlay != SimUiState::Overlay::None) {
        state.overlay = SimUiState::Overlay::None;
        return;
    }
    state.overlay = SimUiState::Overlay::ContextMenu;
    state.contextAt = at;
}

void SimInput::wheel(SimUiState &state, QSize size, bool up)
{
    if (state.overlay == SimUiState::Overlay::MainMenu) {
        scrollList(state, size, up ? -3 : 3);
        return;
    }
    if (state.overlay != SimUiState::Overlay::None)
        return;
    if (state.fullChannel >= 0) {
        state.fullChannel =
            (state.fullChannel + (up ? -1 : 1) + SimUiState::kChannels) % SimUiState::kChannels;
        state.selectedChannel = state.fullChannel;
        state.notice = channelText(state.fullChannel) + " full screen";
        return;
    }
    stepGroup(state, up ? -1 : 1);
}

void SimInput::activate(SimUiState &state, int id)
{
    if (id == SimLayout::StatusMenu || id == SimLayout::MenuClose) {
        const bool open =
            id == SimLayout::StatusMenu && state.overlay != SimUiState::Overlay::MainMenu;
        state.overlay = open ? SimUiState::Overlay::MainMenu : SimUiState::Overlay::None;
        state.notice = open ? "Main menu" : "Live view";
    } else if (id >= SimLayout::StatusView && id < SimLayout::StatusView + 4) {
        setView(state, SimLayout::viewChoices(id - SimLayout::StatusView));
    } else if (id == SimLayout::StatusPrev || id == SimLayout::StatusNext) {
        stepGroup(state, id == SimLayout::StatusPrev ? -1 : 1);
    } else if (id >= SimLayout::ContextItem && id < SimLayout::MenuBackdrop) {
        state.overlay = SimUiState::Overlay::None;
        contextItem(state, id - SimLayout::ContextItem);
    } else if (id >= SimLayout::MenuCategory && id < SimLayout::MenuRow) {
        state.menuCategory = id - SimLayout::MenuCategory;
        state.listScroll = 0;
        state.listSelected = -1;
        state.notice = SimMenuContent::categories().value(state.menuCategory);
    } else if (id >= SimLayout::MenuRow) {
        state.listSelected = id - SimLayout::MenuRow;
    }
}

void SimInput::contextItem(SimUiState &state, int item)
{
    switch (item) {
    case 0:
        state.overlay = SimUiState::Overlay::MainMenu;
        state.notice = "Main menu";
        break;
    case 5:
        stepGroup(state, -1);
        break;
    case 6:
        stepGroup(state, 1);
        break;
    default:
        setView(state, SimLayout::viewChoices(item - 1));
        break;
    }
}

void SimInput::setView(SimUiState &state, int count)
{
    state.viewCount = count;
    state.fullChannel = -1;
    // The group that holds the selected channel.
    state.firstChannel = state.selectedChannel / count * count;
    state.notice = count == 1 ? "Single view" : QString("%1 views").arg(count);
}

void SimInput::stepGroup(SimUiState &state, int direction)
{
    const int groups = (SimUiState::kChannels + state.viewCount - 1) / state.viewCount;
    if (groups <= 1)
        return;
    const int group = (state.firstChannel / state.viewCount + direction + groups) % groups;
    state.firstChannel = group * state.viewCount;
    state.fullChannel = -1;
    state.notice = QString("Channels %1-%2")
                       .arg(state.firstChannel + 1)
                       .arg(state.firstChannel + state.viewCount);
    if (state.viewCount == 1) {
        state.selectedChannel = state.firstChannel;
        state.notice = channelText(state.firstChannel);
    }
}

void SimInput::scrollList(SimUiState &state, QSize size, int rows)
{
    const int count = SimMenuContent::rowCount(state.menuCategory);
    const int visible = SimLayout(size, state).visibleRows;
    state.listScroll = std::clamp(state.listScroll + rows, 0, std::max(0, count - visible));
}
