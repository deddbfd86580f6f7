#pragma once

#include "CupsLibrary.h"
#include "render/VirtualPaper.h"

#include <cups/cups.h>

#include <string>
#include <vector>

namespace marlet {

/// A print queue of the CUPS server: its device values and the connection that takes its
/// jobs. "NAME/INSTANCE" names an instance with its saved options.
class CupsQueue {
public:
    /// Finds the queue; fails with "Printer selected is not valid: NAME" when CUPS has none
    /// such, and with "There is no default printer currently selected" for the default.
    explicit CupsQueue(const std::string& name);
    /// The default queue of the server and the user's lpoptions.
    static CupsQueue defaultQueue() { return CupsQueue(std::string()); }
    ~CupsQueue();
    CupsQueue(CupsQueue&& other) noexcept;
    CupsQueue& operator=(CupsQueue&&) = delete;
    CupsQueue(const CupsQueue&) = delete;
    CupsQueue& operator=(const CupsQueue&) = delete;

    /// Whether a CUPS server answers on this host (CUPS_SERVER, client.conf or the local one).
    static bool serverAvailable();
    /// The default queue's name; empty when the server names none or does not answer.
    static std::string defaultName();
    /// Every queue and instance the user can print on, as "NAME" or "NAME/INSTANCE".
    static std::vector<std::string> names();

    /// The queue's name as CUPS knows it.
    const std::string& name() const { return m_name; }
    /// Resolution, paper and unprintable strips of the queue's defaults, in device pixels.
    VirtualPaper paper() const;

    /// Device values from a resolution in dpi (0: unknown) and a paper in hundredths of a
    /// millimetre (null: unknown); what is unknown is taken from 600 dpi A4 with 1/6-inch
    /// strips, as a typical laser printer has.
    static VirtualPaper deviceValues(int dpi, const cups_size_t* media);

    /// The functions of libcups, loaded for the queue.
    const CupsLibrary& library() const { return *m_cups; }
    /// The open connection to the queue's server.
    http_t* connection() const { return m_http; }
    /// The queue with its saved options.
    cups_dest_t* destination() const { return m_dest; }
    /// What the server says the queue supports; null when it would not say.
    cups_dinfo_t* information() const { return m_info; }

private:
    const CupsLibrary* m_cups = nullptr;
    std::string m_name;
    http_t* m_http = nullptr;
    cups_dest_t* m_dest = nullptr;
    cups_dinfo_t* m_info = nullptr;
};

} // namespace marlet
