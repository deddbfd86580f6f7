// Sends a 100 MB DOS print stream through marlet-capture's TCP printer port and reports
// whether the queue file holds it byte for byte, how long it took and the service's peak
// memory. Run by hand: build-dir/marlet-capture-bench [megabytes].

#include "ProgramMain.h"
#include "base/IntegerText.h"
#include "capture/CaptureSwitch.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace marlet;
namespace fs = std::filesystem;

namespace {

// A report line of a 1990s ledger: text, box drawing and a form feed now and then.
char streamByte(std::uint64_t position) {
    static const std::string line =
        "\xBA 000123 \xB3 \x8F\xE0\xA8\xE5\xAE\xA4 \xAD\xA0\xAA\xAB\xA0\xA4\xAD\xAE\xA9 "
        "\xB3      1 337.50 \xBA\r\n";
    std::uint64_t lineNumber = position / line.size();
    if (lineNumber % 67 == 66 && position % line.size() == line.size() - 1)
        return '\x0C';
    return line[position % line.size()];
}

long peakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string field; status >> field;) {
        if (field == "VmHWM:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return -1;
}

int freePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

const char* const Usage = "Usage: marlet-capture-bench [MEGABYTES]\n"
                          "Sends MEGABYTES (100) of a DOS print stream through marlet-capture's "
                          "TCP printer port\n"
                          "and checks the queue file against it.\n"
                          "\n"
                          "  -h, --help      show this help\n";

struct BenchOptions {
    int megabytes = 100;
    bool help = false;

    static BenchOptions parse(const std::vector<std::string>& arguments) {
        BenchOptions options;
        bool sized = false;
        for (const std::string& argument : arguments) {
            if (argument == "-h" || argument == "--help") {
                options.help = true;
                continue;
            }
            if (argument.starts_with("-"))
                throw UsageError("unknown option '" + argument + "'");
            int value = 0;
            try {
                value = parseInteger(argument);
            } catch (const Error&) {
            }
            if (value <= 0 || sized)
                throw UsageError("takes one size in MB, a positive number, not '" + argument + "'");
            options.megabytes = value;
            sized = true;
        }
        return options;
    }
};

int bench(const BenchOptions& options) {
    std::uint64_t total = static_cast<std::uint64_t>(options.megabytes) << 20;
    // A folder of our own: a shared temporary folder may hold anyone's links.
    std::string folder = (fs::temp_directory_path() / "marlet-capture-bench-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        throw Error("Cannot create folder " + folder);
    std::string socketPath = folder + "/capture.socket";
    std::string queue = folder + "/prnspl";
    std::string job = queue + ".ended";
    int port = freePort();
    std::string listen = "127.0.0.1:" + std::to_string(port);

    pid_t service = fork();
    if (service == 0) {
        execl(MARLET_CAPTURE, MARLET_CAPTURE, "--socket", socketPath.c_str(), "--fifo", "none",
              "--listen", listen.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    while (!fs::exists(socketPath))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    long idleKilobytes = peakKilobytes(service);

    auto started = std::chrono::steady_clock::now();
    {
        CaptureSwitch capture(1, {socketPath, MARLET_CAPTURE});
        capture.start(queue);
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            kill(service, SIGTERM);
            waitpid(service, nullptr, 0);
            fs::remove_all(folder);
            throw Error("Cannot connect to " + listen);
        }
        std::vector<char> chunk(1 << 16);
        for (std::uint64_t sent = 0; sent < total;) {
            std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), total - sent));
            for (std::size_t i = 0; i < n; ++i)
                chunk[i] = streamByte(sent + i);
            for (std::size_t done = 0; done < n;)
                done += static_cast<std::size_t>(write(fd, chunk.data() + done, n - done));
            sent += n;
        }
        close(fd);
        // Closing the connection ends the job: the service writes its last bytes and renames
        // the queue file for the queue monitor.
        while (!fs::exists(job))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    int status = 0;
    long peak = peakKilobytes(service);
    waitpid(service, &status, 0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::ifstream in(job, std::ios::binary);
    std::vector<char> chunk(1 << 16);
    std::uint64_t position = 0;
    bool same = true;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            same = same && chunk[static_cast<std::size_t>(i)] == streamByte(position + i);
        position += static_cast<std::uint64_t>(in.gcount());
    }
    same = same && position == total;
    std::printf("%llu MB through TCP: queue file %s (%llu bytes), %.2f s, service peak RSS "
                "%ld kB (idle %ld kB)\n",
                static_cast<unsigned long long>(total >> 20), same ? "identical" : "DIFFERENT",
                static_cast<unsigned long long>(position), seconds, peak, idleKilobytes);
    fs::remove_all(folder);
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    return runProgram<BenchOptions>({"marlet-capture-bench", Usage}, argc, argv,
                                    [](BenchOptions& options) { return bench(options); });
}
