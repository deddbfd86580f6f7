#pragma once

#include "CupsFilterArguments.h"

#include <istream>
#include <string>
#include <vector>

namespace marlet {

/// The options of a job on a Marlet queue: the queue's defaults from its PPD, then the
/// job's own (lp -o), turned into marlet-print's arguments. Marlet's options are
/// MarletScheme, MarletCodePage, MarletFace, MarletSize, MarletOrientation and
/// MarletLineWrap ("Stored" keeps the settings store's value); the standard landscape,
/// orientation-requested, PageSize and media choose the orientation and the sheet.
class CupsJobOptions {
public:
    /// Takes the queue's defaults from the "*DefaultNAME: VALUE" lines of its PPD.
    void readPpdDefaults(std::istream& ppd);
    /// Takes the job's options over the defaults.
    void take(const CupsOptions& options);

    /// marlet-print's arguments for these options: "--set NAME=VALUE" for each setting
    /// they choose, and "--paper" for the sheet. Fails with a UsageError that names an
    /// option whose value means nothing.
    std::vector<std::string> printArguments() const;

private:
    void addSetting(std::vector<std::string>& arguments, const std::string& option,
                    const std::string& setting) const;

    CupsOptions m_options;
};

} // namespace marlet
