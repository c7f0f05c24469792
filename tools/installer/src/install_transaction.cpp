// How an install stays all or nothing, even when the process is killed.
//
// Files of our own live directly in the VST3 folder, named after the
// plug-in's identifier P (characters outside [A-Za-z0-9._-] become '_'), all
// starting with "." so that hosts skip them and none ending in ".vst3":
//   .P.install-journal   what the run has done so far, one line per change,
//                        each written (not synced) before the change it
//                        announces; a line cut short by a kill never happened
//   .P.new-N             entry N of the archive, unpacked and waiting
//   .P.old-N             the previous version of entry N's file, moved aside
//
// A run first unpacks every file entry to .P.new-N (creating the folders of
// folder entries as it goes), then, entry by entry, moves the old file to
// .P.old-N and .P.new-N into its place. With every entry in place it writes
// the commit line; from then on it only cleans up: removes the backups, then
// the journal. Moves keep bytes, modes and modification times, so a backup
// moved back is the file as it was.
//
// What a later run (or the rollback of this one) can find, and what it does:
//   no journal, no files of ours        nothing to do
//   no journal, .P.new-N or .P.old-N    a committed run whose clean-up did not
//                                       finish (or a module that was loaded
//                                       and could not be deleted): they are
//                                       deleted; a backup cannot exist before
//                                       the journal does
//   journal with the commit line        the same: the install went through;
//                                       the backups and the journal go
//   journal without the commit line     rolled back, last line first: each
//                                       .P.old-N moves back over its entry, a
//                                       file that did not exist before is
//                                       removed, folders we made are removed
//                                       if empty, .P.new-N files are deleted,
//                                       then the journal and the folders made
//                                       above the bundle. Replaying it twice
//                                       does no harm, so a kill during the
//                                       rollback is resolved the same way
//   a backup that cannot be moved back  nothing more is deleted: the journal
//                                       and the backups stay, the failure
//                                       names each file and its backup, and
//                                       the next run tries again before it
//                                       installs anything
// A half-done install is never completed, only undone.
#include "install_transaction.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <optional>

#include "shared/os.h"
#include "shared/zip.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kJournalHeader = "vst3-install-journal 1";

// One line of the journal.
struct Record {
    enum Kind : char { madeAbove = 'M', madeFolder = 'D', replaced = 'F', committed = 'C' } kind;
    std::string path;  // absolute for madeAbove, else relative to the VST3 folder
    unsigned entry = 0;
    bool hadPrevious = false;
};

// A change that failed: the entry it concerned (relative to the VST3 folder)
// and why.
struct StepFailure {
    std::string entry;
    std::string reason;
};

struct Stopped {};

std::string utf8(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

std::string nativeUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Names as they may stand in a message: control bytes would garble a console
// line or the screen.
std::string printable(std::string_view name) {
    std::string shown(name);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return shown;
}

class OurFiles {
public:
    OurFiles(const fs::path& folder, std::string_view plugID) : _folder(folder), _prefix(".") {
        for (char c : plugID) {
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                               c == '-' || c == '_';
            _prefix += plain ? c : '_';
        }
        if (plugID.empty()) _prefix += "plugin";
        _prefix += '.';
    }

    const fs::path& folder() const { return _folder; }
    fs::path journal() const { return _folder / (_prefix + "install-journal"); }
    fs::path staged(unsigned entry) const { return _folder / (_prefix + "new-" + std::to_string(entry)); }
    fs::path backup(unsigned entry) const { return _folder / (_prefix + "old-" + std::to_string(entry)); }

    // Every .P.new-N, and with `backups` every .P.old-N, in the folder.
    std::vector<fs::path> leftovers(bool backups) const {
        std::vector<fs::path> found;
        std::error_code ec;
        for (fs::directory_iterator it(_folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = utf8(it->path().filename());
            if (isNumbered(name, "new-") || (backups && isNumbered(name, "old-"))) found.push_back(it->path());
        }
        return found;
    }

private:
    bool isNumbered(std::string_view name, std::string_view kind) const {
        if (!name.starts_with(_prefix)) return false;
        name.remove_prefix(_prefix.size());
        if (!name.starts_with(kind)) return false;
        name.remove_prefix(kind.size());
        return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
    }

    fs::path _folder;
    std::string _prefix;
};

// Runs one change to the file system through the seam.
std::error_code change(const InstallSeams& seams, const std::function<std::error_code()>& operation) {
    if (seams.beforeChange)
        if (std::error_code injected = seams.beforeChange()) return injected;
    return operation();
}

void mustChange(const InstallSeams& seams, const std::string& entry,
                const std::function<std::error_code()>& operation) {
    if (std::error_code ec = change(seams, operation)) throw StepFailure{entry, describeSystemError(ec)};
}

std::error_code removePath(const fs::path& path) {
    std::error_code ec;
    fs::remove(path, ec);
    return ec;
}

// Windows refuses to delete a read-only file, and the backup of one is
// read-only too.
std::error_code removeEvenReadOnly(const fs::path& path) {
    if (!removePath(path)) return {};
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
    return removePath(path);
}

bool present(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::string formatRecord(const Record& r) {
    switch (r.kind) {
        case Record::replaced:
            return "F " + std::to_string(r.entry) + (r.hadPrevious ? " 1 " : " 0 ") + r.path;
        case Record::committed:
            return "C";
        default:
            return std::string(1, r.kind) + ' ' + r.path;
    }
}

std::optional<Record> parseRecord(std::string_view line) {
    if (line == "C") return Record{Record::committed, {}};
    if (line.size() < 3 || line[1] != ' ') return std::nullopt;
    const char kind = line[0];
    std::string_view rest = line.substr(2);
    if (kind == 'M' || kind == 'D') return Record{static_cast<Record::Kind>(kind), std::string(rest)};
    if (kind != 'F') return std::nullopt;
    Record r{Record::replaced, {}};
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), r.entry);
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    if (ec != std::errc() || rest.size() < 4 || rest[0] != ' ' || (rest[1] != '0' && rest[1] != '1') || rest[2] != ' ')
        return std::nullopt;
    r.hadPrevious = rest[1] == '1';
    r.path = std::string(rest.substr(3));
    return r;
}

// The complete lines of a journal; nullopt when it is not one we can read.
std::optional<std::vector<Record>> readJournal(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    std::vector<Record> records;
    std::size_t start = 0;
    bool header = true;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (header) {
            if (line != kJournalHeader) return std::nullopt;
            header = false;
            continue;
        }
        const auto record = parseRecord(line);
        if (!record) return std::nullopt;
        records.push_back(*record);
    }
    if (header && !text.empty()) return std::nullopt;
    return records;
}

// Deletes what a committed run leaves; a file that cannot go now (a loaded
// module on Windows) is handed to the system for the next restart and swept
// by the next run in any case.
void sweep(const OurFiles& ours, const InstallSeams& seams) {
    for (const fs::path& file : ours.leftovers(true))
        if (change(seams, [&] { return removeEvenReadOnly(file); })) os::removeAtRestart(file);
    change(seams, [&] { return removePath(ours.journal()); });
}

void removeMadeAbove(const std::vector<Record>& records) {
    for (auto r = records.rbegin(); r != records.rend(); ++r)
        if (r->kind == Record::madeAbove) removePath(fs::path(std::u8string(r->path.begin(), r->path.end())));
}

// Undoes the journal's records, last first. Returns one line for each file
// that could not be put back; when there is any, nothing else is deleted and
// the journal stays for the next run.
std::vector<std::string> rollBack(const OurFiles& ours, const std::vector<Record>& records, const InstallSeams& seams) {
    std::vector<std::string> notRestored;
    for (auto r = records.rbegin(); r != records.rend(); ++r) {
        const fs::path path = ours.folder() / entryPath(r->path);
        if (r->kind == Record::replaced && r->hadPrevious) {
            const fs::path backup = ours.backup(r->entry);
            if (!present(backup)) continue;  // never moved aside, or already back
            if (std::error_code ec = change(seams, [&] { return os::renameFile(backup, path); }))
                notRestored.push_back(printable(r->path) + ": not restored (" + describeSystemError(ec) +
                                      "); its previous version is " + printable(nativeUtf8(backup)));
        } else if (r->kind == Record::replaced) {
            if (!present(path)) continue;
            if (std::error_code ec = change(seams, [&] { return removePath(path); }))
                notRestored.push_back(printable(r->path) + ": new file left in place (" + describeSystemError(ec) +
                                      ")");
        } else if (r->kind == Record::madeFolder && notRestored.empty()) {
            change(seams, [&] { return removePath(path); });  // fails harmlessly if not empty
        }
    }
    if (!notRestored.empty()) return notRestored;
    for (const fs::path& file : ours.leftovers(false)) change(seams, [&] { return removePath(file); });
    change(seams, [&] { return removePath(ours.journal()); });
    removeMadeAbove(records);
    return notRestored;
}

std::string joinLines(std::string first, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) first += '\n' + line;
    return first;
}

int keepGoing(void* seams) {
    const auto& stop = static_cast<const InstallSeams*>(seams)->stop;
    return stop && stop() ? 0 : 1;
}

// One install in progress: the journal it keeps and what it has staged.
class Transaction {
public:
    Transaction(const fs::path& folder, std::string_view plugID, const InstallSeams& seams)
        : _ours(folder, plugID), _seams(seams) {}

    const OurFiles& ours() const { return _ours; }
    const std::vector<Record>& records() const { return _records; }

    void begin(const std::vector<fs::path>& madeFolders) {
        mustChange(_seams, utf8(_ours.journal().filename()), [&] {
            // The stream keeps no error code of its own; the C library's
            // errno still tells "access denied" from a full disk.
            errno = 0;
            _journal.open(_ours.journal(), std::ios::binary | std::ios::trunc);
            _journal << kJournalHeader << '\n' << std::flush;
            if (_journal) return std::error_code();
            return errno ? std::error_code(errno, std::generic_category()) : std::make_error_code(std::errc::io_error);
        });
        for (const fs::path& made : madeFolders) write({Record::madeAbove, utf8(made)});
    }

    void checkStop() const {
        if (_seams.stop && _seams.stop()) throw Stopped{};
    }

    // Creates the folder entry's missing folders, outermost first.
    void makeFolders(const std::string& name) {
        fs::path made = _ours.folder();
        for (const fs::path& element : entryPath(name).relative_path()) {
            if (element.empty()) continue;
            made /= element;
            std::error_code ec;
            const fs::file_status status = fs::symlink_status(made, ec);
            if (fs::is_directory(status)) continue;
            if (fs::exists(status)) throw StepFailure{printable(name), "a file of that name is in the way"};
            write({Record::madeFolder, utf8(fs::relative(made, _ours.folder()))});
            mustChange(_seams, printable(name), [&] {
                std::error_code made_ec;
                fs::create_directory(made, made_ec);
                return made_ec;
            });
        }
    }

    void stage(ZipArchive& archive, std::uint32_t index, const std::string& name) {
        const fs::path dest = _ours.folder() / entryPath(name);
        std::error_code ec;
        if (!fs::is_directory(dest.parent_path(), ec))
            throw StepFailure{printable(name),
                              describeSystemError(std::make_error_code(std::errc::no_such_file_or_directory))};
        const fs::path staged = _ours.staged(index);
        mustChange(_seams, printable(name), [&] { return removePath(staged); });
        if (std::error_code injected = _seams.beforeChange ? _seams.beforeChange() : std::error_code())
            throw StepFailure{printable(name), describeSystemError(injected)};
        if (!mz_zip_reader_extract_to_new_file(&archive.get(), index, readerPath(staged).c_str(), keepGoing,
                                               const_cast<InstallSeams*>(&_seams))) {
            const mz_zip_error error = mz_zip_get_last_error(&archive.get());
            if (error == MZ_ZIP_STOPPED) throw Stopped{};
            throw StepFailure{printable(name), archive.get().last_os_error != 0
                                                   ? describeSystemError(systemError(archive.get().last_os_error))
                                                   : mz_zip_get_error_string(error)};
        }
        _staged.push_back({index, name});
    }

    // Moves the previous file aside and the staged one into its place.
    void swapAll() {
        for (const auto& [index, name] : _staged) {
            checkStop();
            const fs::path dest = _ours.folder() / entryPath(name);
            std::error_code ec;
            const fs::file_status status = fs::symlink_status(dest, ec);
            if (fs::is_directory(status)) throw StepFailure{printable(name), "a folder of that name is in the way"};
            const bool hadPrevious = fs::exists(status);
            write({Record::replaced, name, index, hadPrevious});
            if (hadPrevious)
                mustChange(_seams, printable(name), [&] { return os::renameFile(dest, _ours.backup(index)); });
            mustChange(_seams, printable(name), [&] { return os::renameFile(_ours.staged(index), dest); });
        }
    }

    void commit() {
        write({Record::committed, {}});
        _journal.close();
    }

    void abandon() { _journal.close(); }

private:
    static std::error_code systemError(std::uint32_t code) {
#ifdef _WIN32
        return std::error_code(static_cast<int>(code), std::system_category());
#else
        return std::error_code(static_cast<int>(code), std::generic_category());
#endif
    }

    void write(Record record) {
        mustChange(_seams, utf8(_ours.journal().filename()), [&] {
            _journal << formatRecord(record) << '\n' << std::flush;
            return _journal ? std::error_code() : std::make_error_code(std::errc::no_space_on_device);
        });
        _records.push_back(std::move(record));
    }

    OurFiles _ours;
    const InstallSeams& _seams;
    std::ofstream _journal;
    std::vector<Record> _records;
    std::vector<std::pair<std::uint32_t, std::string>> _staged;
};

}  // namespace

std::string describeSystemError(std::error_code error) {
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        switch (error.value()) {
            case 5:
                return "access denied";  // ERROR_ACCESS_DENIED
            case 32:
            case 33:
                return "in use by another program";  // sharing or lock violation
            case 39:
            case 112:
                return "disk full";  // ERROR_HANDLE_DISK_FULL, ERROR_DISK_FULL
            case 2:
            case 3:
                return "not found";  // file or path not found
            default:
                return "system error " + std::to_string(error.value());
        }
    }
#endif
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system)
        return "access denied";
    if (error == std::errc::device_or_resource_busy || error == std::errc::text_file_busy)
        return "in use by another program";
    if (error == std::errc::no_space_on_device) return "disk full";
    if (error == std::errc::no_such_file_or_directory) return "not found";
    return "system error " + std::to_string(error.value());
}

std::vector<fs::path> makeTargetFolder(const fs::path& target, const InstallSeams& seams) {
    std::vector<fs::path> missing;
    for (fs::path p = target; !p.empty() && !fs::is_directory(p); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    std::reverse(missing.begin(), missing.end());
    std::vector<fs::path> made;
    for (const fs::path& folder : missing) {
        std::error_code ec = change(seams, [&] {
            std::error_code created;
            fs::create_directory(folder, created);
            return created;
        });
        if (ec) {
            for (auto m = made.rbegin(); m != made.rend(); ++m) removePath(*m);
            throw fs::filesystem_error("cannot create folder", folder, ec);
        }
        made.push_back(folder);
    }
    return made;
}

InstallReport recoverInterruptedInstall(const fs::path& target, std::string_view plugID, const InstallSeams& seams) {
    std::error_code ec;
    if (!fs::is_directory(target, ec)) return {InstallReport::installed, {}};
    const OurFiles ours(target, plugID);
    if (!present(ours.journal())) {
        sweep(ours, seams);
        return {InstallReport::installed, {}};
    }
    const auto records = readJournal(ours.journal());
    if (!records)
        return {InstallReport::failed,
                printable(nativeUtf8(ours.journal())) + ": not a journal this installer can read"};
    if (std::any_of(records->begin(), records->end(), [](const Record& r) { return r.kind == Record::committed; })) {
        sweep(ours, seams);
        return {InstallReport::installed, {}};
    }
    const auto notRestored = rollBack(ours, *records, seams);
    if (notRestored.empty()) return {InstallReport::installed, {}};
    return {InstallReport::failed, joinLines("an earlier installation could not be undone", notRestored)};
}

InstallReport installPayload(const fs::path& target, std::string_view plugID, std::span<const unsigned char> payload,
                             const std::vector<fs::path>& madeFolders, const InstallSeams& seams) {
    const auto removeMade = [&] {
        for (auto m = madeFolders.rbegin(); m != madeFolders.rend(); ++m) removePath(*m);
    };
    ZipArchive archive;
    if (!mz_zip_reader_init_mem(&archive.get(), payload.data(), payload.size(), MZ_ZIP_FLAG_CASE_SENSITIVE)) {
        removeMade();
        return {InstallReport::failed, "the installer's payload is not a readable zip archive"};
    }
    if (const auto refused = firstRefusedEntry(archive)) {
        removeMade();
        return {InstallReport::failed, printable(archive.getFileNameForIndex(*refused)) + ": invalid filename"};
    }
    Transaction transaction(target, plugID, seams);
    std::string cause;
    bool stopped = false;
    try {
        transaction.begin(madeFolders);
        const std::uint32_t count = mz_zip_reader_get_num_files(&archive.get());
        for (std::uint32_t i = 0; i < count; ++i) {
            transaction.checkStop();
            const std::string name = archive.getFileNameForIndex(i);
            if (mz_zip_reader_is_file_a_directory(&archive.get(), i))
                transaction.makeFolders(name);
            else
                transaction.stage(archive, i, name);
        }
        transaction.swapAll();
        transaction.checkStop();
        transaction.commit();
    } catch (const Stopped&) {
        stopped = true;
    } catch (const StepFailure& failure) {
        cause = failure.entry + ": " + failure.reason;
    }
    if (!stopped && cause.empty()) {
        sweep(transaction.ours(), seams);
        return {InstallReport::installed, {}};
    }
    transaction.abandon();
    std::vector<Record> records = transaction.records();
    if (records.empty())  // the journal could not even be started
        for (const fs::path& made : madeFolders) records.push_back({Record::madeAbove, utf8(made)});
    const auto notRestored = rollBack(transaction.ours(), records, seams);
    if (!notRestored.empty())
        return {InstallReport::failed,
                joinLines(stopped ? "the installation was cancelled, but could not be undone" : cause, notRestored)};
    return {stopped ? InstallReport::cancelled : InstallReport::failed, cause};
}
