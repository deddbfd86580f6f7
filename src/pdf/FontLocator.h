#pragma once

#include <functional>
#include <string>
#include <vector>

namespace marlet {

/// A font file, the face inside it and that face's family.
struct FontLocation {
    std::string path;
    int index = 0;
    std::string family;

    bool operator==(const FontLocation&) const = default;
};

/// Finds the installed face for a face name, as every font of the print path asks for it:
/// the face itself when installed; for a well-known Windows face its metric twin ("Courier
/// New" prints in Liberation Mono); otherwise a fixed-pitch face, so that a missing face
/// never squeezes proportional letters into the cells.
class FontLocator {
public:
    /// Hears, once for each face name, which family prints in place of a face that is not
    /// installed and has no metric twin.
    using SubstitutionReport =
        std::function<void(const std::string& asked, const std::string& used)>;

    /// The best face for the name and style; fails with "No font for 'NAME'" when the
    /// system has no font at all.
    static FontLocation locate(const std::string& face, bool bold, bool italic);
    /// The families of the installed TrueType faces, the ones a PDF can embed, sorted.
    static std::vector<std::string> families();
    /// Tells report of every substitution from now on; an empty report tells no one.
    static void setSubstitutionReport(SubstitutionReport report);
};

} // namespace marlet
