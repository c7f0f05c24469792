// Window placements kept in one text file in the user's settings folder
// ($XDG_CONFIG_HOME, else ~/.config), one line per window title:
//   left top right bottom borderless title
// with backslash and line feed in the title escaped as \\ and \n.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "surf/window_placement.h"

namespace fs = std::filesystem;

namespace {

std::string escapeTitle(std::string_view title) {
    std::string out;
    for (char c : title) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

bool readInt(std::string_view& line, int* value) {
    size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) return false;
    line.remove_prefix(start);
    auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), *value);
    if (ec != std::errc() || end == line.data()) return false;
    line.remove_prefix(end - line.data());
    return true;
}

// The record of one line and the escaped title it names; false if malformed.
bool parseLine(std::string_view line, SurfPlacement* p, std::string_view* escapedTitle) {
    SurfRect& r = p->rect;
    if (!readInt(line, &r.left) || !readInt(line, &r.top) || !readInt(line, &r.right) || !readInt(line, &r.bottom) ||
        !readInt(line, &p->borderless))
        return false;
    if (line.empty() || line.front() != ' ') return false;
    line.remove_prefix(1);
    *escapedTitle = line;
    return true;
}

template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        visit(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

fs::path storePath() {
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return fs::path(config) / "surf" / "placement";
    const char* home = getenv("HOME");
    if (!home || !home[0]) return {};
    return fs::path(home) / ".config" / "surf" / "placement";
}

std::string readStore(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int surfPlacementFind(std::string_view text, std::string_view title, SurfPlacement* out) {
    std::string wanted = escapeTitle(title);
    int found = 0;
    forEachLine(text, [&](std::string_view line) {
        SurfPlacement p;
        std::string_view name;
        if (!found && parseLine(line, &p, &name) && name == wanted && surfPlacementPlausible(p.rect) &&
            (p.borderless == 0 || p.borderless == 1)) {
            *out = p;
            found = 1;
        }
    });
    return found;
}

std::string surfPlacementReplace(std::string_view text, std::string_view title, const SurfPlacement& placement) {
    std::string wanted = escapeTitle(title);
    std::string out;
    forEachLine(text, [&](std::string_view line) {
        SurfPlacement p;
        std::string_view name;
        if (parseLine(line, &p, &name) && name != wanted) {
            out += line;
            out += '\n';
        }
    });
    const SurfRect& r = placement.rect;
    char numbers[80];
    snprintf(numbers, sizeof numbers, "%d %d %d %d %d ", r.left, r.top, r.right, r.bottom,
             placement.borderless ? 1 : 0);
    out += numbers + wanted + '\n';
    return out;
}

int surfPlacementLoad(const char* title, SurfPlacement* out) {
    fs::path path = storePath();
    if (path.empty()) return 0;
    return surfPlacementFind(readStore(path), title, out);
}

void surfPlacementStore(const char* title, const SurfPlacement& placement) {
    fs::path path = storePath();
    if (path.empty()) return;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::string text = surfPlacementReplace(readStore(path), title, placement);
    // Written aside and renamed, so a reader never sees half a file.
    fs::path temp = path;
    temp += ".tmp" + std::to_string(getpid());
    bool written;
    {
        std::ofstream outFile(temp, std::ios::binary | std::ios::trunc);
        written = outFile.is_open() && (outFile << text) && outFile.flush();
    }
    if (written) fs::rename(temp, path, ec);
    if (!written || ec) fs::remove(temp, ec);
}
