#include "FixedPitchList.h"

namespace marlet {

bool isFixedPitch(PageDevice& printer, const std::string& face) {
    CanvasFont previous = printer.canvasFont();
    CanvasFont candidate = previous;
    candidate.face = face;
    printer.setCanvasFont(candidate);
    bool fixed = printer.textExtent(u"!").width == printer.textExtent(u"W").width;
    printer.setCanvasFont(previous);
    return fixed;
}

void FixedPitchList::build(PageDevice& printer, const std::vector<std::string>& families) {
    m_faces.clear();
    for (const std::string& face : families)
        if (isFixedPitch(printer, face))
            m_faces.push_back(face);
}

} // namespace marlet
