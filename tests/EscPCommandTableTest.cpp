#include "languages/escp/EscPCommandTable.h"
#include "support/LanguageJob.h"

#include <gtest/gtest.h>

using namespace marlet;
using marlet::testing::LanguageJob;

namespace {

// A whole command with parameters that would print as letters if any leaked.
std::string wholeCommand(const EscPCommand& command, PrinterLanguage language) {
    std::string out(command.name);
    auto add = [&](std::initializer_list<int> values) {
        for (int value : values)
            out += static_cast<char>(value);
    };
    switch (command.form) {
    case EscPForm::Fixed:
        out += std::string(command.count, 'A');
        break;
    case EscPForm::Columns:
        add({2, 0, 'A', 'A'});
        break;
    case EscPForm::StarColumns:
        add({39, 2, 0});
        out += std::string(6, 'A');
        break;
    case EscPForm::NineDotColumns:
        add({1, 2, 0, 'A', 'A', 'A', 'A'});
        break;
    case EscPForm::Counted:
        if (command.count == 1)
            out += 'i';
        add({2, 0, 'A', 'A'});
        break;
    case EscPForm::NulList:
        add({'A', 'B', 0});
        break;
    case EscPForm::FormLength:
        add({0, 'A'});
        break;
    case EscPForm::Characters:
        add({0, 'A', 'A'});
        if (language == PrinterLanguage::EscP)
            out += std::string(12, 'A');
        else
            add({0, 2, 0, 'A', 'A', 'A', 'A', 'A', 'A'});
        break;
    case EscPForm::Raster:
        add({1, 10, 10, 1, 16, 0, 1, 'A', 'A'});
        break;
    }
    return out;
}

// The characters drawn, whatever their place.
std::string drawn(const std::string& lines) {
    std::string out;
    std::size_t at = 0;
    while ((at = lines.find("text ", at)) != std::string::npos) {
        const std::size_t end = lines.find('\n', at);
        out += lines[end - 1];
        at = end;
    }
    return out;
}

} // namespace

TEST(EscPCommandTableTest, NoByteOfACommandPrintsWhereverTheJobCutsIt) {
    const std::pair<PrinterLanguage, const char*> languages[] = {
        {PrinterLanguage::EscP, "ESC/P"},
        {PrinterLanguage::EscP2, "ESC/P2"},
        {PrinterLanguage::Proprinter, "Proprinter"}};
    int walked = 0;
    for (auto [language, name] : languages) {
        LanguageJob job(name, 180);
        for (const EscPCommand& command : escPCommandTable()) {
            if ((command.languages & languageBit(language)) == 0)
                continue;
            const std::string whole = "\x1B" + wholeCommand(command, language);
            ++walked;
            // The Proprinter prints the bytes after ESC \ nL nH from its character chart.
            EXPECT_EQ(drawn(job.print(whole + "Z")), "Z") << name << " ESC " << command.name;
            for (std::size_t cut = 1; cut < whole.size(); ++cut)
                EXPECT_EQ(drawn(job.print("Y" + whole.substr(0, cut))), "Y")
                    << name << " ESC " << command.name << " cut at " << cut;
        }
    }
    EXPECT_GT(walked, 150);
}

TEST(EscPCommandTableTest, LengthsFollowTheParameterForms) {
    auto length = [](PrinterLanguage language, const std::string& bytes) -> long {
        const EscPCommand* command = findEscPCommand(language, bytes);
        if (!command)
            return -2;
        auto result = escPCommandLength(*command, language, [&](std::size_t n) {
            return std::string_view(bytes).substr(0, n);
        });
        return result ? static_cast<long>(*result) : -1;
    };
    using L = PrinterLanguage;
    EXPECT_EQ(length(L::EscP, std::string("K\x03\x00xyz", 6)), 6);
    EXPECT_EQ(length(L::EscP, std::string("K\x03\x00xy", 5)), -1);
    EXPECT_EQ(length(L::EscP2, std::string("*\x27\x02\x00", 4) + std::string(6, 'a')), 10);
    EXPECT_EQ(length(L::EscP2, std::string("(C\x02\x00\x10\x0E", 6)), 6);
    EXPECT_EQ(length(L::EscP2, std::string("(i\x01\x00\x01", 5)), 5);
    EXPECT_EQ(length(L::EscP, std::string("D\x08\x10\x00", 4) + "x"), 4);
    EXPECT_EQ(length(L::EscP, std::string("C\x00\x0B", 3)), 3);
    EXPECT_EQ(length(L::EscP, "C\x42"), 2);
    EXPECT_EQ(length(L::EscP2, std::string(".\x01\x0A\x0A\x01\x10\x00\xFF\x00", 9)), 9);
    EXPECT_EQ(length(L::EscP, "(C"), -2);
    EXPECT_EQ(length(L::Proprinter, "*"), -2);
    EXPECT_EQ(length(L::Proprinter, std::string("X\x05\x50", 3)), 3);
}
