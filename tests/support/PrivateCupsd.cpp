#include "PrivateCupsd.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace marlet {

namespace fs = std::filesystem;

namespace {

const char* const Cupsd = "/usr/sbin/cupsd";
const char* const Lpadmin = "/usr/sbin/lpadmin";
// Deadlines for a server and jobs that never come; nothing is measured against them.
constexpr auto StartDeadline = std::chrono::seconds(30);
constexpr auto JobDeadline = std::chrono::seconds(60);
constexpr auto Poll = std::chrono::milliseconds(20);

// The socket in the folder is the server's only listener; nothing is shared or announced.
const char* const CupsdConf = R"(Listen @ROOT@/cups.sock
LogLevel debug
WebInterface No
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
)";

const char* const CupsFilesConf = R"(ServerRoot @ROOT@
StateDir @ROOT@/state
CacheDir @ROOT@/cache
RequestRoot @ROOT@/spool
TempDir @ROOT@/spool/tmp
AccessLog @ROOT@/log/access_log
ErrorLog @ROOT@/log/error_log
PageLog @ROOT@/log/page_log
FileDevice Yes
SystemGroup @GROUP@
)";

// A 300 dpi A4 printer with quarter-inch margins that takes PDF. CUPS runs no filter on a
// queue whose only filter is "-", and then its file: device writes nothing: the filter here
// copies the PDF through unchanged.
const char* const PpdText = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "MARLETPDF.PPD"
*Manufacturer: "Marlet"
*Product: "(Marlet test printer)"
*ModelName: "Marlet test printer"
*ShortNickName: "Marlet test printer"
*NickName: "Marlet test printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 @FILTER@"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Page Region: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*ImageableArea Letter/Letter: "18 18 594 774"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/Letter: "612 792"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: 300dpi
*Resolution 300dpi/300 dpi: "<</HWResolution[300 300]>>setpagedevice"
*Resolution 600dpi/600 dpi: "<</HWResolution[600 600]>>setpagedevice"
*CloseUI: *Resolution
)PPD";

void writeFile(const fs::path& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << text;
    chmod(path.c_str(), mode);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string replaced(std::string text, const std::string& marker, const std::string& value) {
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker))
        text.replace(at, marker.size(), value);
    return text;
}

// Whoever runs the test administers its server: root, or a user through their own group.
std::string systemGroup() {
    const group* own = getgrgid(getgid());
    return own ? own->gr_name : "root";
}

} // namespace

PrivateCupsd::PrivateCupsd() {
    if (!fs::exists(Cupsd) || !fs::exists(Lpadmin)) {
        m_unavailable = "cupsd or lpadmin is not installed (setup.sh installs cups-daemon and "
                        "cups-client)";
        return;
    }
    std::string pattern = (fs::temp_directory_path() / "marlet-cupsd-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder for cupsd");
    m_folder = pattern;
    // Filters run as the server's unprivileged user and must reach the filter here.
    chmod(m_folder.c_str(), 0755);
    writeConfiguration();
    start();
}

PrivateCupsd::~PrivateCupsd() {
    stop();
    if (!m_folder.empty()) {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
}

void PrivateCupsd::writeConfiguration() {
    for (const char* sub : {"spool/tmp", "cache", "state", "log", "out", "filter"})
        fs::create_directories(m_folder / sub);
    const std::string root = m_folder.string();
    writeFile(m_folder / "cupsd.conf", replaced(CupsdConf, "@ROOT@", root));
    writeFile(m_folder / "cups-files.conf",
              replaced(replaced(CupsFilesConf, "@ROOT@", root), "@GROUP@", systemGroup()));
    writeFile(m_folder / "filter" / "pass-pdf", "#!/bin/sh\nexec cat \"${6:--}\"\n", 0755);
    writeFile(m_folder / "printer.ppd",
              replaced(PpdText, "@FILTER@", (m_folder / "filter" / "pass-pdf").string()));
}

void PrivateCupsd::start() {
    const std::string conf = (m_folder / "cupsd.conf").string();
    const std::string files = (m_folder / "cups-files.conf").string();
    const std::string out = (m_folder / "cupsd.out").string();
    m_pid = fork();
    if (m_pid == 0) {
        // The server goes when the test goes, even when the test crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int log = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execl(Cupsd, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr);
        _exit(127);
    }
    if (m_pid < 0)
        throw std::runtime_error("cannot start cupsd");
    const auto deadline = std::chrono::steady_clock::now() + StartDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_unavailable = "cupsd stopped at start: " + readFile(m_folder / "cupsd.out") + log();
            return;
        }
        if (http_t* http = tryConnect()) {
            httpClose(http);
            return;
        }
        std::this_thread::sleep_for(Poll);
    }
    m_unavailable = "cupsd does not answer on " + socket() + ": " + log();
}

void PrivateCupsd::stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + StartDeadline;
    while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(Poll);
    }
    m_pid = -1;
}

void PrivateCupsd::addQueue(const std::string& name) {
    const std::string server = "CUPS_SERVER='" + socket() + "' ";
    const std::string output = "'" + (m_folder / "lpadmin.out").string() + "'";
    const std::string add = server + Lpadmin + " -p " + name + " -E -v 'file://" +
                            (m_folder / "out" / (name + ".pdf")).string() + "' -P '" +
                            (m_folder / "printer.ppd").string() +
                            "' -o job-hold-until-default=indefinite >" + output + " 2>&1";
    const std::string makeDefault = server + Lpadmin + " -d " + name + " >>" + output + " 2>&1";
    if (std::system(add.c_str()) != 0 || std::system(makeDefault.c_str()) != 0)
        throw std::runtime_error("lpadmin failed: " + readFile(m_folder / "lpadmin.out"));
}

http_t* PrivateCupsd::tryConnect() const {
    return httpConnect2(socket().c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 1000,
                        nullptr);
}

http_t* PrivateCupsd::connect() const {
    http_t* http = tryConnect();
    if (!http)
        throw std::runtime_error("cupsd does not answer: " + log());
    return http;
}

std::vector<PrivateCupsd::PrintedJob> PrivateCupsd::printHeldJobs(const std::string& queue) {
    http_t* http = connect();
    cups_job_t* jobs = nullptr;
    int count = cupsGetJobs2(http, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    std::vector<int> ids;
    for (int i = 0; i < count; ++i)
        ids.push_back(jobs[i].id);
    cupsFreeJobs(count, jobs);
    std::sort(ids.begin(), ids.end());

    std::vector<PrintedJob> printed;
    for (int id : ids) {
        ipp_t* request = ippNewRequest(IPP_OP_RELEASE_JOB);
        const std::string uri = "ipp://localhost/printers/" + queue;
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                     cupsUser());
        ippDelete(cupsDoRequest(http, request, "/jobs/"));
        PrintedJob job;
        if (cupsLastError() > IPP_STATUS_OK_CONFLICTING || !waitForJob(http, queue, id, job)) {
            httpClose(http);
            throw std::runtime_error("job " + std::to_string(id) + " did not print: " + log());
        }
        // The file: device writes the same file for every job.
        job.output = m_folder / ("job-" + std::to_string(id) + ".pdf");
        std::error_code error;
        fs::copy_file(m_folder / "out" / (queue + ".pdf"), job.output, error);
        printed.push_back(job);
    }
    httpClose(http);
    return printed;
}

bool PrivateCupsd::waitForJob(http_t* http, const std::string& queue, int id, PrintedJob& printed) {
    const auto deadline = std::chrono::steady_clock::now() + JobDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        cups_job_t* jobs = nullptr;
        int count = cupsGetJobs2(http, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
        bool done = false;
        for (int i = 0; i < count; ++i) {
            if (jobs[i].id == id && jobs[i].state >= IPP_JSTATE_CANCELED) {
                printed.id = id;
                printed.title = jobs[i].title ? jobs[i].title : "";
                printed.format = jobs[i].format ? jobs[i].format : "";
                printed.state = jobs[i].state;
                done = true;
            }
        }
        cupsFreeJobs(count, jobs);
        if (done)
            return true;
        std::this_thread::sleep_for(Poll);
    }
    return false;
}

std::vector<PrivateCupsd::PrintedJob> PrivateCupsd::jobs(const std::string& queue) {
    http_t* http = connect();
    cups_job_t* found = nullptr;
    int count = cupsGetJobs2(http, &found, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    std::vector<PrintedJob> all;
    for (int i = 0; i < count; ++i)
        all.push_back({found[i].id,
                       found[i].title ? found[i].title : "",
                       found[i].format ? found[i].format : "",
                       found[i].state,
                       {}});
    cupsFreeJobs(count, found);
    httpClose(http);
    std::sort(all.begin(), all.end(),
              [](const PrintedJob& a, const PrintedJob& b) { return a.id < b.id; });
    return all;
}

std::string PrivateCupsd::log() const {
    std::string text = readFile(m_folder / "log" / "error_log");
    // The end of the log tells what went wrong; the whole of it would drown the report.
    constexpr std::size_t Tail = 4000;
    return text.size() > Tail ? text.substr(text.size() - Tail) : text;
}

} // namespace marlet
