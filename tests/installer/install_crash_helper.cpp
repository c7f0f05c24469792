// Installs a payload file into a folder like the installer's job does, and
// kills itself with SIGKILL just before its Nth change to the file system,
// so that a test can interrupt a real install at an exact point. Prints the
// number of changes it made when it is not killed.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "install.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s TARGET PAYLOAD KILL-AT-CHANGE (0: never)\n", argv[0]);
        return 2;
    }
    const std::filesystem::path target = argv[1];
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<unsigned char> payload((std::istreambuf_iterator<char>(in)), {});
    const long killAt = std::strtol(argv[3], nullptr, 10);
    long changes = 0;
    Installer installer("com.tarnwick.velliphon", {[&] { return target; }, payload, [&] {
                                                       if (++changes == killAt) std::raise(SIGKILL);
                                                       return std::error_code();
                                                   }});
    installer.start();
    if (!installer.succeeded()) return 1;
    std::fprintf(stderr, "%ld\n", changes);
    return 0;
}
