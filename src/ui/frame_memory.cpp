#include "ui/frame_memory.h"

#include <algorithm>

#include "ui/generic_command.h"

namespace {

bool drawsCustom(gui_Context& ctx) {
    gui_Command* cmd = nullptr;
    while (gui_next_command(&ctx, &cmd)) {
        if (cmd->type == GENERIC_DRAW_COMMAND) return true;
    }
    return false;
}

}  // namespace

bool FrameMemory::sameTarget(const Bitmap& target) const {
    return _target == target.surfHandle() && _width == target.width() && _height == target.height() &&
           _scale == target.backingScale();
}

bool FrameMemory::repeats(gui_Context& ctx, const Bitmap& target) {
    const char* begin = ctx.command_list.items;
    const char* end = begin + ctx.command_list.idx;
    if (_remembered && sameTarget(target) && std::equal(begin, end, _commands.begin(), _commands.end())) return true;

    _remembered = !drawsCustom(ctx);
    _commands.assign(begin, end);
    _target = target.surfHandle();
    _width = target.width();
    _height = target.height();
    _scale = target.backingScale();
    return false;
}
