#pragma once

#include <string>
#include <vector>

namespace marlet {

/// A font file and the face inside it.
struct FontLocation {
    std::string path;
    int index = 0;

    bool operator==(const FontLocation&) const = default;
};

/// Finds the installed face that fontconfig substitutes for a Windows face name, so that
/// "Courier New" prints in its metric twin.
class FontLocator {
public:
    /// The best face for the name and style; fails with "No font for 'NAME'" when the
    /// system has no font at all.
    static FontLocation locate(const std::string& face, bool bold, bool italic);
    /// The families of the installed TrueType faces, the ones a PDF can embed, sorted.
    static std::vector<std::string> families();
};

} // namespace marlet
