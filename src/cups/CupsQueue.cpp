#include "CupsQueue.h"

#include "CupsLibrary.h"
#include "base/Error.h"
#include "base/Rounding.h"

#include <utility>

namespace marlet {

namespace {

constexpr int FallbackDpi = 600;
constexpr int HundredthsOfMmPerInch = 2540;
// Long enough for a server across the network, short enough not to stall a desktop.
constexpr int ConnectTimeoutMs = 5000;

// A connection to the server; null when it does not answer or this host has no libcups.
http_t* connectToServer() {
    const CupsLibrary* cups = CupsLibrary::get();
    if (!cups)
        return nullptr;
    return cups->connect(cups->server(), cups->port(), nullptr, AF_UNSPEC, cups->encryption(), 1,
                         ConnectTimeoutMs, nullptr);
}

int toPixels(long double hundredthsOfMm, int dpi) {
    return roundToField<int>(hundredthsOfMm * dpi / HundredthsOfMmPerInch);
}

// IPP printers may give their resolution in dots per centimetre.
int toDpi(int resolution, ipp_res_t units) {
    return units == IPP_RES_PER_CM ? roundToField<int>(resolution * 2.54L) : resolution;
}

int integerIn(const CupsLibrary& cups, ipp_t* collection, const char* name) {
    return cups.getInteger(cups.findAttribute(collection, name, IPP_TAG_INTEGER), 0);
}

// The paper of media-col-default: the size and the margins the printer cannot reach.
bool mediaOfCollection(const CupsLibrary& cups, ipp_attribute_t* attribute, cups_size_t& media) {
    ipp_t* collection = cups.getCollection(attribute, 0);
    ipp_t* size = cups.getCollection(
        cups.findAttribute(collection, "media-size", IPP_TAG_BEGIN_COLLECTION), 0);
    if (!collection || !size)
        return false;
    media.width = integerIn(cups, size, "x-dimension");
    media.length = integerIn(cups, size, "y-dimension");
    media.left = integerIn(cups, collection, "media-left-margin");
    media.top = integerIn(cups, collection, "media-top-margin");
    media.right = integerIn(cups, collection, "media-right-margin");
    media.bottom = integerIn(cups, collection, "media-bottom-margin");
    return media.width > 0 && media.length > 0;
}

} // namespace

CupsQueue::CupsQueue(const std::string& name) : m_cups(CupsLibrary::get()) {
    const std::string printer = name.empty() ? std::string("the default printer") : name;
    if (!m_cups)
        throw Error("Cannot print to " + printer + ": libcups.so.2 is not installed");
    m_http = connectToServer();
    if (!m_http)
        throw Error("Cannot print to " + printer + ": " + m_cups->lastErrorString());
    std::string queue = name;
    std::string instance;
    if (std::size_t slash = name.find('/'); slash != std::string::npos) {
        queue = name.substr(0, slash);
        instance = name.substr(slash + 1);
    }
    m_dest = m_cups->getNamedDest(m_http, queue.empty() ? nullptr : queue.c_str(),
                                  instance.empty() ? nullptr : instance.c_str());
    if (!m_dest) {
        m_cups->close(m_http);
        m_http = nullptr;
        if (name.empty())
            throw Error("There is no default printer currently selected");
        throw Error("Printer selected is not valid: " + name);
    }
    m_name = m_dest->instance ? std::string(m_dest->name) + "/" + m_dest->instance : m_dest->name;
    m_info = m_cups->copyDestInfo(m_http, m_dest);
}

CupsQueue::CupsQueue(CupsQueue&& other) noexcept
    : m_cups(other.m_cups), m_name(std::move(other.m_name)),
      m_http(std::exchange(other.m_http, nullptr)), m_dest(std::exchange(other.m_dest, nullptr)),
      m_info(std::exchange(other.m_info, nullptr)) {
}

CupsQueue::~CupsQueue() {
    if (m_info)
        m_cups->freeDestInfo(m_info);
    if (m_dest)
        m_cups->freeDests(1, m_dest);
    if (m_http)
        m_cups->close(m_http);
}

bool CupsQueue::serverAvailable() {
    http_t* http = connectToServer();
    if (!http)
        return false;
    CupsLibrary::get()->close(http);
    return true;
}

std::string CupsQueue::defaultName() {
    http_t* http = connectToServer();
    if (!http)
        return {};
    const CupsLibrary& cups = *CupsLibrary::get();
    std::string name;
    if (cups_dest_t* dest = cups.getNamedDest(http, nullptr, nullptr)) {
        name = dest->name;
        if (dest->instance)
            name += std::string("/") + dest->instance;
        cups.freeDests(1, dest);
    }
    cups.close(http);
    return name;
}

std::vector<std::string> CupsQueue::names() {
    http_t* http = connectToServer();
    if (!http)
        return {};
    const CupsLibrary& cups = *CupsLibrary::get();
    cups_dest_t* dests = nullptr;
    int count = cups.getDests(http, &dests);
    std::vector<std::string> found;
    for (int i = 0; i < count; ++i) {
        std::string name = dests[i].name;
        if (dests[i].instance)
            name += std::string("/") + dests[i].instance;
        found.push_back(std::move(name));
    }
    cups.freeDests(count, dests);
    cups.close(http);
    return found;
}

VirtualPaper CupsQueue::paper() const {
    int dpi = 0;
    cups_size_t media{};
    bool mediaKnown = false;
    if (m_info) {
        const CupsLibrary& cups = *m_cups;
        if (ipp_attribute_t* resolution =
                cups.findDestDefault(m_http, m_dest, m_info, "printer-resolution")) {
            int down = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            // The sheet has one resolution; the one across sets the character pitch.
            int across = cups.getResolution(resolution, 0, &down, &units);
            dpi = toDpi(across, units);
        }
        // A paper saved with the queue's options wins over the server's default, as with lp;
        // libcups's own default lookup would take the paper of the user's locale instead.
        const char* saved = cups.getOption("media", m_dest->num_options, m_dest->options);
        if (saved)
            mediaKnown = cups.getDestMediaByName(m_http, m_dest, m_info, saved, 0, &media) != 0;
        if (!mediaKnown)
            mediaKnown = mediaOfCollection(
                cups, cups.findDestDefault(m_http, m_dest, m_info, "media-col"), media);
        if (!mediaKnown) {
            ipp_attribute_t* name = cups.findDestDefault(m_http, m_dest, m_info, "media");
            mediaKnown =
                name && cups.getDestMediaByName(m_http, m_dest, m_info,
                                                cups.getString(name, 0, nullptr), 0, &media) != 0;
        }
    }
    return deviceValues(dpi, mediaKnown ? &media : nullptr);
}

VirtualPaper CupsQueue::deviceValues(int dpi, const cups_size_t* media) {
    VirtualPaper paper;
    paper.dpi = dpi > 0 ? dpi : FallbackDpi;
    if (media && media->width > 0 && media->length > 0) {
        paper.width = toPixels(media->width, paper.dpi);
        paper.height = toPixels(media->length, paper.dpi);
        paper.unprintableX = toPixels(media->left, paper.dpi);
        paper.unprintableY = toPixels(media->top, paper.dpi);
        paper.unprintableRight = toPixels(media->right, paper.dpi);
        paper.unprintableBottom = toPixels(media->bottom, paper.dpi);
    } else {
        PageSize a4 = VirtualPaper::a4(paper.dpi);
        paper.width = a4.width;
        paper.height = a4.height;
        paper.unprintableX = roundToField<int>(paper.dpi / 6.0L);
        paper.unprintableY = paper.unprintableX;
    }
    return paper;
}

} // namespace marlet
