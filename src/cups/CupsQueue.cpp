#include "CupsQueue.h"

#include "base/Error.h"
#include "base/Rounding.h"

#include <utility>

namespace marlet {

namespace {

constexpr int FallbackDpi = 600;
constexpr int HundredthsOfMmPerInch = 2540;
// Long enough for a server across the network, short enough not to stall a desktop.
constexpr int ConnectTimeoutMs = 5000;

http_t* connectToServer() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                        ConnectTimeoutMs, nullptr);
}

int toPixels(long double hundredthsOfMm, int dpi) {
    return roundToField<int>(hundredthsOfMm * dpi / HundredthsOfMmPerInch);
}

// IPP printers may give their resolution in dots per centimetre.
int toDpi(int resolution, ipp_res_t units) {
    return units == IPP_RES_PER_CM ? roundToField<int>(resolution * 2.54L) : resolution;
}

int integerIn(ipp_t* collection, const char* name) {
    return ippGetInteger(ippFindAttribute(collection, name, IPP_TAG_INTEGER), 0);
}

// The paper of media-col-default: the size and the margins the printer cannot reach.
bool mediaOfCollection(ipp_attribute_t* attribute, cups_size_t& media) {
    ipp_t* collection = ippGetCollection(attribute, 0);
    ipp_t* size =
        ippGetCollection(ippFindAttribute(collection, "media-size", IPP_TAG_BEGIN_COLLECTION), 0);
    if (!collection || !size)
        return false;
    media.width = integerIn(size, "x-dimension");
    media.length = integerIn(size, "y-dimension");
    media.left = integerIn(collection, "media-left-margin");
    media.top = integerIn(collection, "media-top-margin");
    media.right = integerIn(collection, "media-right-margin");
    media.bottom = integerIn(collection, "media-bottom-margin");
    return media.width > 0 && media.length > 0;
}

} // namespace

CupsQueue::CupsQueue(const std::string& name) {
    m_http = connectToServer();
    if (!m_http)
        throw Error("Cannot print to " +
                    (name.empty() ? std::string("the default printer") : name) + ": " +
                    cupsLastErrorString());
    std::string queue = name;
    std::string instance;
    if (std::size_t slash = name.find('/'); slash != std::string::npos) {
        queue = name.substr(0, slash);
        instance = name.substr(slash + 1);
    }
    m_dest = cupsGetNamedDest(m_http, queue.empty() ? nullptr : queue.c_str(),
                              instance.empty() ? nullptr : instance.c_str());
    if (!m_dest) {
        httpClose(m_http);
        m_http = nullptr;
        if (name.empty())
            throw Error("There is no default printer currently selected");
        throw Error("Printer selected is not valid: " + name);
    }
    m_name = m_dest->instance ? std::string(m_dest->name) + "/" + m_dest->instance : m_dest->name;
    m_info = cupsCopyDestInfo(m_http, m_dest);
}

CupsQueue::CupsQueue(CupsQueue&& other) noexcept
    : m_name(std::move(other.m_name)), m_http(std::exchange(other.m_http, nullptr)),
      m_dest(std::exchange(other.m_dest, nullptr)), m_info(std::exchange(other.m_info, nullptr)) {
}

CupsQueue::~CupsQueue() {
    if (m_info)
        cupsFreeDestInfo(m_info);
    if (m_dest)
        cupsFreeDests(1, m_dest);
    if (m_http)
        httpClose(m_http);
}

bool CupsQueue::serverAvailable() {
    http_t* http = connectToServer();
    if (!http)
        return false;
    httpClose(http);
    return true;
}

std::string CupsQueue::defaultName() {
    http_t* http = connectToServer();
    if (!http)
        return {};
    std::string name;
    if (cups_dest_t* dest = cupsGetNamedDest(http, nullptr, nullptr)) {
        name = dest->name;
        if (dest->instance)
            name += std::string("/") + dest->instance;
        cupsFreeDests(1, dest);
    }
    httpClose(http);
    return name;
}

std::vector<std::string> CupsQueue::names() {
    http_t* http = connectToServer();
    if (!http)
        return {};
    cups_dest_t* dests = nullptr;
    int count = cupsGetDests2(http, &dests);
    std::vector<std::string> found;
    for (int i = 0; i < count; ++i) {
        std::string name = dests[i].name;
        if (dests[i].instance)
            name += std::string("/") + dests[i].instance;
        found.push_back(std::move(name));
    }
    cupsFreeDests(count, dests);
    httpClose(http);
    return found;
}

VirtualPaper CupsQueue::paper() const {
    int dpi = 0;
    cups_size_t media{};
    bool mediaKnown = false;
    if (m_info) {
        if (ipp_attribute_t* resolution =
                cupsFindDestDefault(m_http, m_dest, m_info, "printer-resolution")) {
            int down = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            // The sheet has one resolution; the one across sets the character pitch.
            int across = ippGetResolution(resolution, 0, &down, &units);
            dpi = toDpi(across, units);
        }
        // A paper saved with the queue's options wins over the server's default, as with lp;
        // libcups's own default lookup would take the paper of the user's locale instead.
        const char* saved = cupsGetOption("media", m_dest->num_options, m_dest->options);
        if (saved)
            mediaKnown = cupsGetDestMediaByName(m_http, m_dest, m_info, saved, 0, &media) != 0;
        if (!mediaKnown)
            mediaKnown =
                mediaOfCollection(cupsFindDestDefault(m_http, m_dest, m_info, "media-col"), media);
        if (!mediaKnown) {
            ipp_attribute_t* name = cupsFindDestDefault(m_http, m_dest, m_info, "media");
            mediaKnown =
                name && cupsGetDestMediaByName(m_http, m_dest, m_info,
                                               ippGetString(name, 0, nullptr), 0, &media) != 0;
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
