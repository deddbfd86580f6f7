#include "pdf/FontLocator.h"
#include "pdf/FontFace.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace marlet;

namespace {

// Whether "!" and "W" advance alike, the test the fonts page makes for fixed pitch.
bool fixedPitch(const FontLocation& location) {
    std::shared_ptr<const FontFace> face = openFace(location);
    return face->advance(face->glyph(u'!')) == face->advance(face->glyph(u'W'));
}

} // namespace

TEST(FontLocator, AMissingFaceFallsBackToAFixedPitchOneAndIsReportedOnce) {
    std::vector<std::pair<std::string, std::string>> reports;
    FontLocator::setSubstitutionReport([&](const std::string& asked, const std::string& used) {
        reports.emplace_back(asked, used);
    });

    // Installed faces print as themselves, whatever the case of the name.
    EXPECT_EQ(FontLocator::locate("DejaVu Sans", false, false).family, "DejaVu Sans");
    EXPECT_EQ(FontLocator::locate("dejavu sans mono", true, false).family, "DejaVu Sans Mono");
    // Windows faces with a metric twin print in it, and nobody needs telling.
    EXPECT_EQ(FontLocator::locate("Courier New", false, false).family, "Liberation Mono");
    EXPECT_EQ(FontLocator::locate("courier new", true, true).family, "Liberation Mono");
    EXPECT_EQ(FontLocator::locate("Arial", false, false).family, "Liberation Sans");
    EXPECT_EQ(FontLocator::locate("Times New Roman", false, true).family, "Liberation Serif");
    EXPECT_TRUE(reports.empty());

    // A face that is not there, and the console faces without a twin, print in the
    // fixed-pitch face fontconfig offers; a proportional default never stands in.
    const FontLocation fallback = FontLocator::locate("NoSuchFont", false, false);
    const std::string fixed = fallback.family;
    EXPECT_TRUE(fixedPitch(fallback)) << fixed;
    EXPECT_FALSE(fixedPitch(FontLocator::locate("DejaVu Sans", false, false)));
    EXPECT_EQ(FontLocator::locate("NoSuchFont", true, false).family, fixed);
    EXPECT_EQ(FontLocator::locate("Lucida Console", false, false).family, fixed);
    EXPECT_EQ(FontLocator::locate("Consolas", false, false).family, fixed);
    const std::vector<std::pair<std::string, std::string>> once = {
        {"NoSuchFont", fixed}, {"Lucida Console", fixed}, {"Consolas", fixed}};
    EXPECT_EQ(reports, once);

    FontLocator::setSubstitutionReport({});
}
