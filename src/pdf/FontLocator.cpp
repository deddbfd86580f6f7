#include "FontLocator.h"

#include "base/Error.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <strings.h>
#include <tuple>

namespace marlet {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// The family a DOS printout falls back to: whatever fontconfig's monospace is.
constexpr const char* FixedPitchFamily = "monospace";

// Faces that Windows exports name. The first three have metric twins that set text exactly
// as on Windows; the console faces have none, so any fixed-pitch face stands in for them.
struct WindowsFace {
    const char* name;
    const char* twin;
    bool metricTwin;
};
constexpr WindowsFace WindowsFaces[] = {
    {"Courier New", "Liberation Mono", true},      {"Arial", "Liberation Sans", true},
    {"Times New Roman", "Liberation Serif", true}, {"Lucida Console", FixedPitchFamily, false},
    {"Consolas", FixedPitchFamily, false},
};

const WindowsFace* windowsFace(const std::string& face) {
    for (const WindowsFace& known : WindowsFaces) {
        if (strcasecmp(known.name, face.c_str()) == 0)
            return &known;
    }
    return nullptr;
}

bool sameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

struct Match {
    FontLocation location;
    // Whether the face found carries the family asked for, not a default of fontconfig's.
    bool asked = false;
};

std::optional<Match> query(const std::string& family, bool bold, bool italic, bool fixedPitch) {
    Pattern pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (fixedPitch)
        FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    // Outline faces only: a PDF embeds them and a printer scales them to any cell.
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        return std::nullopt;
    Match found;
    found.location.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &found.location.index);
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        std::string matched = reinterpret_cast<const char*>(name);
        if (i == 0)
            found.location.family = matched;
        if (sameName(matched, family))
            found.asked = true;
    }
    return found;
}

struct Located {
    FontLocation location;
    // The face is neither installed nor a metric twin's: the user is told.
    bool substituted = false;
};

Located find(const std::string& face, bool bold, bool italic) {
    if (!face.empty()) {
        if (std::optional<Match> own = query(face, bold, italic, false); own && own->asked)
            return {own->location, false};
        if (const WindowsFace* known = windowsFace(face); known && known->metricTwin) {
            if (std::optional<Match> twin = query(known->twin, bold, italic, false);
                twin && twin->asked)
                return {twin->location, false};
        }
    }
    std::optional<Match> fixed = query(FixedPitchFamily, bold, italic, true);
    if (!fixed)
        throw Error("No font for '" + face + "'");
    return {fixed->location, !face.empty()};
}

std::mutex locatorMutex;
FontLocator::SubstitutionReport substitutionReport;
std::set<std::string> reportedFaces;

} // namespace

std::vector<std::string> FontLocator::families() {
    Pattern pattern(FcPatternCreate());
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcPatternAddString(pattern.get(), FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("TrueType"));
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
        FcObjectSetBuild(FC_FAMILY, nullptr), FcObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
        FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
    std::set<std::string> names;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch)
            names.insert(reinterpret_cast<const char*>(family));
    }
    return {names.begin(), names.end()};
}

FontLocation FontLocator::locate(const std::string& face, bool bold, bool italic) {
    // fontconfig matching costs milliseconds; a job asks for the same few faces often.
    static std::map<std::tuple<std::string, bool, bool>, FontLocation> cache;
    std::lock_guard lock(locatorMutex);
    auto key = std::make_tuple(face, bold, italic);
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    Located located = find(face, bold, italic);
    if (located.substituted && substitutionReport && reportedFaces.insert(face).second)
        substitutionReport(face, located.location.family);
    cache.emplace(key, located.location);
    return located.location;
}

void FontLocator::setSubstitutionReport(SubstitutionReport report) {
    std::lock_guard lock(locatorMutex);
    substitutionReport = std::move(report);
    reportedFaces.clear();
}

} // namespace marlet
