#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

// The job's progress as the window reads it: the current step's text and the
// fraction of steps begun. The job thread writes it while the UI thread
// reads, so message and step live in one atomic word (the index of a fixed
// text beside the step count) and a reader never sees a torn pair.
class Progress {
public:
    // Every text the record can hold; "" until the job starts.
    static constexpr std::array<std::string_view, 8> texts = {
        "",
        "Creating settings folder",
        "Setting up target folder",
        "Failed to set up target folder",
        "Unpacking plugin",
        "Failed to unpack plugin",
        "Installation failed!",
        "Installation cancelled",
    };

    explicit Progress(int steps);

    std::string_view message() const;
    // Steps begun over steps in all, from 0.0 to 1.0.
    float progress() const;

    // `text` must be one of `texts`; anything else throws
    // std::invalid_argument and leaves the record as it was.
    void setMessage(std::string_view text);
    void step();
    void setStep(int step);

private:
    int _steps;
    std::atomic<std::uint64_t> _state;
};

// Where the job takes the bundle from and puts it. The product's source is
// the embedded payload and the system's VST3 folder; tests hand in their own.
struct InstallSource {
    std::function<std::filesystem::path()> targetFolder;
    std::span<const unsigned char> payload;
    // Asked before each change to the file system; an error it returns makes
    // that change fail. Tests inject faults through it.
    std::function<std::error_code()> beforeChange = {};

    static InstallSource product();
};

// The bundle archive carried in the executable.
std::span<const unsigned char> embeddedPayload();

// The installation job, run once on a thread of its own.
class Installer {
public:
    explicit Installer(std::string_view plugID);
    Installer(std::string_view plugID, InstallSource source);
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    void start();
    // Whether the result is in, waiting at most a millisecond for it.
    bool done() const;
    // Takes the result (true: the plug-in was installed), waiting if needed.
    bool succeeded();
    const Progress& progress() const { return _progress; }
    // Asks the job to stop and put the folder back as it was; it then ends
    // with false and "Installation cancelled". Too late once every entry is
    // in place: the job then ends as if it had not been asked.
    void cancel();
    // After the result is in: whether the job ended because of cancel() and
    // put the folder back as it was.
    bool cancelled() const;
    // After the result is in: what went wrong, in English, for the error
    // screen (empty on success and after a cancel). Names the entry below
    // the VST3 folder and, when files could not be put back, lists each with
    // where its previous version lies, one per line.
    std::string cause() const;

private:
    bool run();
    // Ends the job with `message` on screen and the cause on the console.
    bool fail(std::string_view message, std::string_view consolePrefix, std::string cause);

    std::string _plugID;
    InstallSource _source;
    Progress _progress;
    std::atomic<bool> _cancelled;
    // Written by the job before its result is set, read only after.
    bool _endedByCancel = false;
    std::string _cause;
    // Last, so that it goes first: destroying a running job waits for it
    // before the fields it writes are gone.
    std::future<bool> _success;
};
