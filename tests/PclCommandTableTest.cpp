#include "languages/pcl/PclCommandTable.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

using marlet::PclCommandEntry;
using marlet::PclCommandTable;
using marlet::PclData;
using marlet::testing::LanguageJob;

namespace {

const std::string Esc = "\x1B";

} // namespace

// On the test printer, a 600-dpi sheet of 8 by 11 inches with no unprintable strips: the
// logical page starts a quarter inch (150 pixels) in, the first baseline is the half-inch
// top margin (300) plus three quarters of a 6-lpi line (75), and 12-point Liberation Mono
// has an em of 100 pixels with the baseline 83 below the top of its glyphs.

TEST(PclCommandTableTest, NoByteOfAnyCommandPrintsWhereverItIsCut) {
    // Every command of the table with a value and, where it carries some, data that could
    // print; pairs of one group combined into one sequence; each cut at every length.
    std::vector<std::string> commands;
    const auto entries = PclCommandTable::entries();
    for (const PclCommandEntry& entry : entries) {
        // Display functions and transparent data print by design.
        if ((entry.parameter == 0 && entry.terminator == 'Y') || entry.data == PclData::Transparent)
            continue;
        const char terminator = entry.terminator == 0 ? 'U' : entry.terminator;
        std::string command = Esc;
        if (entry.parameter != 0) {
            command += entry.parameter;
            if (entry.group != 0)
                command += entry.group;
            command += entry.data == PclData::None ? "-12.5" : "4";
        }
        command += terminator;
        if (entry.data != PclData::None)
            command += "Ab\x1B"
                       "E";
        commands.push_back(command);
        for (const PclCommandEntry& other : entries) {
            if (&other == &entry || other.parameter != entry.parameter ||
                other.group != entry.group || other.parameter == 0 || entry.data != PclData::None ||
                other.data == PclData::Transparent || other.terminator == 0)
                continue;
            std::string combined = command;
            // The same command character in its continuing (lower-case) form.
            combined.back() = static_cast<char>(terminator + 0x20);
            combined += "7";
            combined += other.terminator;
            if (other.data != PclData::None)
                combined += "xyz\x1B";
            commands.push_back(combined);
            break;
        }
    }
    ASSERT_GT(commands.size(), 150u);
    LanguageJob job("PCL", 600);
    for (const std::string& command : commands) {
        for (std::size_t length = 1; length <= command.size(); ++length) {
            const std::string cut = command.substr(0, length);
            EXPECT_EQ(job.traced(cut, " text path_text "), "") << cut;
        }
    }
}
