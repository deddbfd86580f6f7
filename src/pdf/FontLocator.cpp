#include "FontLocator.h"

#include "base/Error.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>

namespace marlet {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

FontLocation query(const std::string& face, bool bold, bool italic) {
    Pattern pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    // Outline faces only: a PDF embeds them and a printer scales them to any cell.
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        throw Error("No font for '" + face + "'");
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    return {reinterpret_cast<const char*>(file), index};
}

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
    static std::mutex mutex;
    static std::map<std::tuple<std::string, bool, bool>, FontLocation> cache;
    std::lock_guard lock(mutex);
    auto key = std::make_tuple(face, bold, italic);
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    FontLocation location = query(face, bold, italic);
    cache.emplace(key, location);
    return location;
}

} // namespace marlet
