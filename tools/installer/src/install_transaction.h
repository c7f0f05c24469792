// Puts a bundle into the VST3 folder all or nothing: afterwards every entry
// of the payload is in place, or the folder is as it was.
#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Where tests reach into the transaction. Both may be empty.
struct InstallSeams {
    // Asked before every change to the file system; an error it returns
    // makes that change fail with it, as if the system had refused.
    std::function<std::error_code()> beforeChange;
    // Asked between entries and between the chunks of a large entry, until
    // the commit point; true makes the transaction stop and roll back.
    std::function<bool()> stop;
};

struct InstallReport {
    enum Outcome { installed, cancelled, failed } outcome;
    // Empty unless failed: the entry and what went wrong, then one line for
    // each file that could not be put back.
    std::string cause;
};

// Creates `target` and any missing parents, remembering which it made so that
// a rollback can remove them again. Returns the folders made, outermost
// first; throws std::filesystem::filesystem_error, having removed what it
// made, when a folder cannot be created.
std::vector<std::filesystem::path> makeTargetFolder(const std::filesystem::path& target, const InstallSeams& seams);

// Puts back whatever an earlier run left half done in `target` (killed, or a
// rollback that could not finish), and sweeps what a finished run could not
// remove. Installed when there was nothing to do or it was all resolved.
InstallReport recoverInterruptedInstall(const std::filesystem::path& target, std::string_view plugID,
                                        const InstallSeams& seams);

// Unpacks `payload` into `target`, which exists; `madeFolders` are the
// folders of it that this run created (see makeTargetFolder), removed again
// if the install does not go through.
InstallReport installPayload(const std::filesystem::path& target, std::string_view plugID,
                             std::span<const unsigned char> payload,
                             const std::vector<std::filesystem::path>& madeFolders, const InstallSeams& seams);

// A short English reason for a system error, ours rather than the system's
// localised text.
std::string describeSystemError(std::error_code error);
