#pragma once

#include "render/PageDevice.h"

#include <string>
#include <vector>

namespace marlet {

/// Whether a face prints "!" as wide as "W" on the printer's canvas. The canvas keeps its
/// other font properties for the test and gets its own font back afterwards.
bool isFixedPitch(PageDevice& printer, const std::string& face);

/// The fixed-pitch faces of the printer, built only when the font list first needs them:
/// going through every face on the printer is slow. It starts as a one-entry placeholder,
/// and a list of exactly one entry counts as not built yet.
class FixedPitchList {
public:
    /// Whether the list still has to be built (it holds exactly one entry).
    bool needsBuilding() const { return m_faces.size() == 1; }
    /// Replaces the list with the faces of families that pass the fixed-pitch test, in order.
    void build(PageDevice& printer, const std::vector<std::string>& families);

    const std::vector<std::string>& faces() const { return m_faces; }

private:
    std::vector<std::string> m_faces{"New"};
};

} // namespace marlet
