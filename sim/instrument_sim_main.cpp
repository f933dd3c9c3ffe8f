// wayload-instrument-sim: a serial instrument on a pseudo-terminal, for trying and testing the
// serial transfers without hardware. It prints the terminal's path and answers on real time until
// it is stopped; point the programs at it with WAYLOAD_PORT=<path>.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>
// The kernel's termios2 tells the line speed the PC set on the terminal's other side.
#include <asm/termbits.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "sim/line_noise.h"
#include "sim/simulated_instrument.h"

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

std::optional<std::string> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The speed and framing the PC set on the terminal; a master reports its slave's settings.
bool LineMatches(int master, uint32_t baud) {
    struct termios2 settings {};
    if (::ioctl(master, TCGETS2, &settings) != 0) {
        return true;
    }
    const bool eightNoneOne = (settings.c_cflag & CSIZE) == CS8 &&
                              (settings.c_cflag & PARENB) == 0 && (settings.c_cflag & CSTOPB) == 0;
    return eightNoneOne && settings.c_ospeed == baud;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                pollfd out{fd, POLLOUT, 0};
                ::poll(&out, 1, 100);
                continue;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    wl::SimulatedInstrumentConfig config;
    std::string routeFile;
    std::string dataFile;
    std::string receivedFile;
    std::string linkPath;
    std::string fault;
    size_t silenceAfter = 0;
    size_t missingAck = 0;

    CLI::App app("A simulated serial instrument on a pseudo-terminal.", "wayload-instrument-sim");
    app.add_option("--description", config.usbDescription,
                   "USB description of its converter: T7300-III, T7300-IV, T7300-EX, T7310")
        ->capture_default_str();
    app.add_option("--baud", config.baud, "The only line speed it understands")
        ->capture_default_str();
    app.add_option("--version-text", config.versionText, "Answer to VER;")->capture_default_str();
    app.add_option("--route", routeFile, "File whose bytes it hands out as its route block");
    app.add_option("--data", dataFile, "File whose bytes it hands out as its data block");
    app.add_option("--received", receivedFile, "Where a route block it receives is written");
    app.add_option("--piece-size", config.pieceSize, "Piece size announced for an upload")
        ->capture_default_str();
    app.add_option("--clr-busy-ms", config.clrBusyMs, "How long it answers BSY; to CLR;");
    app.add_option("--cld-busy-ms", config.cldBusyMs, "How long it answers BSY; to CLD;");
    app.add_option("--fault", fault, "no-answer, garbage or cut-short")
        ->check(CLI::IsMember({"no-answer", "garbage", "cut-short"}));
    app.add_option("--silence-after", silenceAfter, "Stop a block after this many bytes");
    app.add_option("--missing-ack", missingAck, "Acknowledge no uploaded piece from this one on");
    app.add_option("--link", linkPath, "Also make this symbolic link to the terminal");
    CLI11_PARSE(app, argc, argv);

    for (auto [file, block] :
         {std::pair{&routeFile, &config.routeBlock}, std::pair{&dataFile, &config.dataBlock}}) {
        if (!file->empty()) {
            auto bytes = ReadAll(*file);
            if (!bytes) {
                std::fprintf(stderr, "wayload-instrument-sim: %s: cannot be read\n", file->c_str());
                return 1;
            }
            *block = std::move(*bytes);
        }
    }
    config.faults.noAnswer = fault == "no-answer";
    config.faults.garbage = fault == "garbage";
    config.faults.cutReplyShort = fault == "cut-short";
    if (silenceAfter > 0) {
        config.faults.silenceAfterBytes = silenceAfter;
    }
    if (missingAck > 0) {
        config.faults.missingAck = missingAck;
    }

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("wayload-instrument-sim: pseudo-terminal");
        return 1;
    }
    const std::string slave = ::ptsname(master);
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(slave.c_str(), linkPath.c_str()) != 0) {
            std::perror("wayload-instrument-sim: --link");
            return 1;
        }
    }
    // Holding the slave open keeps the master readable while the PC closes and reopens it.
    const int keepOpen = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::printf("%s\n", slave.c_str());
    std::fflush(stdout);

    ::signal(SIGINT, RequestStop);
    ::signal(SIGTERM, RequestStop);
    ::signal(SIGPIPE, SIG_IGN);

    wl::SteadyClock clock;
    wl::SimulatedInstrument instrument(config, clock);
    bool receivedWritten = false;
    while (stopRequested == 0) {
        const auto due = instrument.MillisecondsUntilNextOutput();
        const int waitMs = due ? static_cast<int>(std::min<uint32_t>(*due, 100)) : 100;
        pollfd in{master, POLLIN, 0};
        ::poll(&in, 1, waitMs);
        uint8_t buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        const bool matches = LineMatches(master, config.baud);
        if (n > 0) {
            if (!matches) {
                for (ssize_t i = 0; i < n; ++i) {
                    buffer[i] = wl::Spoil(buffer[i]);
                }
            }
            instrument.Receive(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
        }
        std::string output = instrument.TakeOutput(instrument.PendingOutput());
        if (!matches) {
            for (char& c : output) {
                c = static_cast<char>(wl::Spoil(static_cast<uint8_t>(c)));
            }
        }
        if (!output.empty() && !WriteAll(master, output)) {
            break;
        }
        if (!receivedFile.empty() && instrument.uploadComplete() && !receivedWritten) {
            std::ofstream out(receivedFile, std::ios::binary | std::ios::trunc);
            const std::string& block = instrument.receivedRouteBlock();
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            receivedWritten = true;
        }
        if (!instrument.uploadComplete()) {
            receivedWritten = false;
        }
    }
    for (const std::string& complaint : instrument.log()) {
        std::fprintf(stderr, "wayload-instrument-sim: %s\n", complaint.c_str());
    }
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
    }
    if (keepOpen >= 0) {
        ::close(keepOpen);
    }
    ::close(master);
    return 0;
}
