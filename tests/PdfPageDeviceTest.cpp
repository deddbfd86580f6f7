#include "pdf/PdfPageDevice.h"
#include "DosText.h"
#include "app/Application.h"
#include "base/Error.h"
#include "config/FileBytes.h"
#include "devices/OutputFile.h"
#include "devices/QtDeviceSet.h"
#include "pdf/FontFace.h"
#include "pdf/FontLocator.h"
#include "pdf/PdfDestination.h"
#include "render/PageGeometry.h"
#include "support/MemorySettingsStore.h"
#include "support/TempFolder.h"

#include <QImage>

#include "support/DeviceChecks.h"

#include "support/MessageOf.h"
#include "support/ShellCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace marlet;
using marlet::testing::cellFontRequest;
using marlet::testing::expectVirtualSheetAndDocumentRules;
using marlet::testing::expectWindowsCellMetrics;
using marlet::testing::MemorySettingsStore;
using marlet::testing::messageOf;

namespace {

namespace fs = std::filesystem;

struct Word {
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    std::string text;
};

struct PdfPage {
    double width = 0;
    double height = 0;
    std::vector<Word> words;
};

std::string run(const std::string& command) {
    marlet::testing::ShellOutput result = marlet::testing::runShell(command);
    EXPECT_EQ(result.status, 0) << command;
    return result.out;
}

// What poppler reads back from a PDF: each page's size and each word's box, in points.
std::vector<PdfPage> readBoxes(const std::string& pdf) {
    std::string html = run("pdftotext -bbox '" + pdf + "' - 2>/dev/null");
    std::regex item(R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" )re"
                    R"re(yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
    std::vector<PdfPage> pages;
    for (std::sregex_iterator it(html.begin(), html.end(), item), end; it != end; ++it) {
        const std::smatch& match = *it;
        if (match[1].matched)
            pages.push_back({std::stod(match[1]), std::stod(match[2]), {}});
        else
            pages.back().words.push_back(
                {std::stod(match[3]), std::stod(match[4]), std::stod(match[5]), match[6]});
    }
    return pages;
}

// One page of a PDF as poppler rasterises it, in gray.
QImage rasterPage(const TempFolder& folder, const std::string& pdf, int page, int dpi) {
    std::string prefix = folder.file("raster");
    run("pdftoppm -r " + std::to_string(dpi) + " -gray -f " + std::to_string(page) + " -l " +
        std::to_string(page) + " -singlefile '" + pdf + "' '" + prefix + "'");
    return QImage(QString::fromStdString(prefix + ".pgm"))
        .convertToFormat(QImage::Format_Grayscale8);
}

QImage pngPage(const std::string& path) {
    return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_Grayscale8);
}

int gray(const QImage& image, int x, int y) {
    return image.constScanLine(y)[x];
}

// How far two rasters of one page disagree: a pixel differs when no pixel of the other
// raster within `shift` of it comes within `tolerance` gray levels, either way round.
struct RasterDifference {
    long inked = 0;
    long differing = 0;
};

RasterDifference compareRasters(const QImage& a, const QImage& b, int tolerance, int shift) {
    RasterDifference result;
    auto unmatched = [&](const QImage& from, const QImage& to, int x, int y) {
        const int value = gray(from, x, y);
        for (int dy = -shift; dy <= shift; ++dy)
            for (int dx = -shift; dx <= shift; ++dx) {
                int nx = x + dx, ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < to.width() && ny < to.height() &&
                    std::abs(gray(to, nx, ny) - value) <= tolerance)
                    return false;
            }
        return true;
    };
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (gray(a, x, y) >= 128 && gray(b, x, y) >= 128)
                continue;
            ++result.inked;
            result.differing += unmatched(a, b, x, y) || unmatched(b, a, x, y);
        }
    return result;
}

std::unique_ptr<PdfPageDevice> pdfDevice(const std::string& path, const VirtualPaper& paper) {
    return std::make_unique<PdfPageDevice>(paper, std::make_unique<PdfFileDestination>(path));
}

// A small letter-size sheet at 100 dpi with unequal strips, so that landscape shows which
// strip goes where.
VirtualPaper smallPaper() {
    return {100, 850, 1100, 10, 20};
}

// A4 at 300 dpi, as a driver reports it.
VirtualPaper a4At300() {
    return {300, 2480, 3508, 50, 50};
}

std::string dos(std::u16string_view text) {
    return marlet::bench::dosText(text);
}

std::string utf8(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

class NoProgress : public ProgressDisplay {
public:
    void showFrame(int) override {}
    void restoreIcon() override {}
};

// Prints a file as marlet-print does, with every setting at its default and the shipped
// code pages.
void printJob(PageDevice& device, const std::string& path) {
    const fs::path previous = fs::current_path();
    fs::current_path(MARLET_DATA_DIR);
    NoProgress progress;
    MemorySettingsStore store;
    std::vector<std::string> reports;
    Application app(device, progress, store,
                    [&](const std::string& message) { reports.push_back(message); });
    app.startUp();
    app.printFile(path);
    device.close();
    fs::current_path(previous);
    EXPECT_TRUE(reports.empty());
}

// A framed table of the shades, blocks and box lines a DOS program prints, with text.
std::u16string framedShades() {
    return u"╔════════════╤═══════════════════╗\r\n"
           u"║ Остаток    │ Stock on 14.03.97 ║\r\n"
           u"╟────────────┼───────────────────╢\r\n"
           u"║░░░▒▒▒▓▓▓███│▄▄▄▀▀▀▌▌▌▐▐▐ Итого ║\r\n"
           u"║ 1 250.00   │ ┌──┬──┐ ╒══╤══╕   ║\r\n"
           u"║ Бумага А4  │ └──┴──┘ ╘══╧══╛   ║\r\n"
           u"╚════════════╧═══════════════════╝\r\n";
}

constexpr double PointsPerPixelAt600 = 72.0 / 600;

} // namespace

TEST(PdfPageDeviceTest, CourierNewMetricsAreThoseOfGdi) {
    TempFolder folder;
    auto device = pdfDevice(folder.file("unused.pdf"), VirtualPaper{});

    EXPECT_EQ(FontFace(FontLocator::locate("Courier New", false, false)).postScriptName(),
              "LiberationMono");
    EXPECT_EQ(FontFace(FontLocator::locate("Courier New", true, false)).postScriptName(),
              "LiberationMono-Bold");

    expectWindowsCellMetrics(*device);
}

TEST(PdfPageDeviceTest, DeviceValuesFollowThePaperAndOrientationChangesWaitForTheDocument) {
    TempFolder folder;
    auto device = pdfDevice(folder.file("job.pdf"), VirtualPaper{});
    expectVirtualSheetAndDocumentRules(*device);
}

TEST(PdfPageDeviceTest, NewPaperServesThePagesThatFollowWithTheSameStrips) {
    // Letter at 100 dpi (850 by 1100 pixels, 612 by 792 points), then legal (850 by 1400)
    // from the second page on: the page being drawn keeps its sheet, the printable area
    // reports the new one at once, and a sheet too small for the strips is refused.
    TempFolder folder;
    const std::string pdf = folder.file("job.pdf");
    {
        auto device = pdfDevice(pdf, smallPaper());
        device->createFont(cellFontRequest(100, 50));
        device->beginDocument("DOS-console task");
        device->textOut(0, 0, u'A');
        EXPECT_TRUE(device->setPaper({850, 1400}));
        EXPECT_EQ(device->pageSize().height, 1360);
        EXPECT_EQ(device->physicalPage().height, 1400);
        device->textOut(0, 1200, u'B');
        device->newPage();
        device->textOut(0, 1200, u'C');
        EXPECT_FALSE(device->setPaper({20, 1400}));
        EXPECT_EQ(device->physicalPage().width, 850);
        device->endDocument();
        device->close();
    }
    const std::vector<PdfPage> pages = readBoxes(pdf);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].width, 612);
    EXPECT_EQ(pages[0].height, 792);
    EXPECT_EQ(pages[1].width, 612);
    EXPECT_EQ(pages[1].height, 1008);
    ASSERT_EQ(pages[1].words.size(), 1u);
    EXPECT_EQ(pages[1].words[0].text, "C");
}

TEST(PdfPageDeviceTest, GlyphsKeepToTheirCellsAndStayText) {
    TempFolder folder;
    std::string pdf = folder.file("job.pdf");
    {
        auto device = pdfDevice(pdf, VirtualPaper{});
        device->createFont(cellFontRequest(100, 50)); // 12 cpi, 6 lpi at 600 dpi
        device->beginDocument("DOS-console task");
        for (int cell = 0; cell < 78; ++cell)
            device->textOut(cell * 50, 0, u'A' + cell % 26);
        device->textOut(79 * 50, 0, u'Z');
        std::u16string greeting = u"Привет";
        for (std::size_t cell = 0; cell < greeting.size(); ++cell)
            device->textOut(static_cast<int>(cell) * 50, 100, greeting[cell]);
        device->pathText(0, 300, u'@');
        device->endDocument();

        device->setOrientation(Orientation::Landscape);
        device->beginDocument("DOS-console task");
        device->textOut(0, 0, u'L');
        device->newPage();
        device->textOut(50, 0, u'M');
        device->endDocument();
        device->close();
    }

    std::vector<PdfPage> pages = readBoxes(pdf);
    ASSERT_EQ(pages.size(), 3u);
    // A4 as 4960 x 7016 pixels at 600 dpi, each page in its own document's orientation.
    EXPECT_EQ(pages[0].width, 595.2);
    EXPECT_EQ(pages[0].height, 841.92);
    EXPECT_EQ(pages[1].width, 841.92);
    EXPECT_EQ(pages[1].height, 595.2);
    EXPECT_EQ(pages[2].width, 841.92);

    const double onePixel = PointsPerPixelAt600;
    ASSERT_EQ(pages[0].words.size(), 3u);
    const Word& row = pages[0].words[0];
    const Word& last = pages[0].words[1];
    const Word& greeting = pages[0].words[2];
    EXPECT_EQ(row.text,
              "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(last.text, "Z");
    EXPECT_EQ(greeting.text, "Привет");
    EXPECT_NEAR(row.xMin, 100 * onePixel, onePixel);
    EXPECT_NEAR(row.xMax, (100 + 78 * 50) * onePixel, onePixel);
    EXPECT_NEAR(last.xMin, (100 + 79 * 50) * onePixel, onePixel);
    EXPECT_NEAR(last.xMin - row.xMin, 79 * 50 * onePixel, onePixel);
    EXPECT_NEAR(last.xMax, (100 + 80 * 50) * onePixel, onePixel);
    EXPECT_NEAR(greeting.xMin, 100 * onePixel, onePixel);
    EXPECT_NEAR(greeting.xMax, (100 + 6 * 50) * onePixel, onePixel);
    EXPECT_NEAR(greeting.yMin - row.yMin, 100 * onePixel, onePixel);

    // On its side the sheet's strips exchange; here both are 100 pixels.
    ASSERT_EQ(pages[1].words.size(), 1u);
    EXPECT_EQ(pages[1].words[0].text, "L");
    EXPECT_NEAR(pages[1].words[0].xMin, 100 * onePixel, onePixel);
    ASSERT_EQ(pages[2].words.size(), 1u);
    EXPECT_EQ(pages[2].words[0].text, "M");
    EXPECT_NEAR(pages[2].words[0].xMin, 150 * onePixel, onePixel);

    // Path text is never painted, so it is not in the text either.
    std::string text = run("pdftotext -enc UTF-8 '" + pdf + "' -");
    EXPECT_NE(text.find("Привет"), std::string::npos);
    EXPECT_EQ(text.find("@"), std::string::npos);
}

TEST(PdfPageDeviceTest, ARunDrawsAsItsCharactersOneByOneAndStopsWhereTheLineIsFull) {
    TempFolder folder;
    auto print = [&](const std::string& name, auto draw) {
        std::string pdf = folder.file(name);
        auto device = pdfDevice(pdf, VirtualPaper{});
        device->createFont(cellFontRequest(100, 50));
        device->beginDocument("DOS-console task");
        draw(*device);
        device->endDocument();
        device->close();
        return readFileBytes(pdf).value();
    };
    const std::u16string text = u"Строка  of cells";
    const std::string oneByOne = print("one.pdf", [&](PdfPageDevice& device) {
        for (std::size_t i = 0; i < text.size(); ++i)
            device.textOut(100 + static_cast<int>(i) * 50, 200, text[i]);
    });
    const std::string asRun = print("run.pdf", [&](PdfPageDevice& device) {
        const DrawnRun drawn = device.textRun(100, 200, 50, text, 1'000'000);
        EXPECT_EQ(drawn.count, text.size());
        EXPECT_FALSE(drawn.lineFull);
        // Cells end at 150, 200, 250: a fourth as wide as the third would pass 299.
        const int width = device.textExtent(u"x").width;
        EXPECT_EQ(width, 50);
        EXPECT_EQ(device.textRun(100, 300, 50, u"abcde", 250 + width - 1).count, 3u);
        EXPECT_TRUE(device.textRun(100, 400, 50, u"abc", 250 + width - 1).lineFull);
        const DrawnRun fits = device.textRun(100, 500, 50, u"abc", 250 + width);
        EXPECT_EQ(fits.count, 3u);
        EXPECT_FALSE(fits.lineFull);
    });
    const std::string tail = print("tail.pdf", [&](PdfPageDevice& device) {
        for (std::size_t i = 0; i < text.size(); ++i)
            device.textOut(100 + static_cast<int>(i) * 50, 200, text[i]);
        for (int y : {300, 400, 500})
            for (int i = 0; i < 3; ++i)
                device.textOut(100 + i * 50, y, static_cast<char16_t>(u'a' + i));
    });
    EXPECT_NE(oneByOne, tail);
    EXPECT_EQ(asRun, tail);
}

TEST(PdfPageDeviceTest, LandscapeStripsExchangeOnTheSheet) {
    TempFolder folder;
    std::string pdf = folder.file("job.pdf");
    {
        auto device = pdfDevice(pdf, smallPaper());
        device->setOrientation(Orientation::Landscape);
        device->beginDocument("DOS-console task");
        device->fillRect(0, 0, 1, 1);
        device->endDocument();
        device->close();
    }
    std::vector<PdfPage> pages = readBoxes(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].width, 792);
    EXPECT_EQ(pages[0].height, 612);
    QImage page = rasterPage(folder, pdf, 1, 100);
    ASSERT_EQ(page.size(), QSize(1100, 850));
    // The top strip (20 pixels) is now at the left, the left one (10) at the top.
    EXPECT_EQ(gray(page, 20, 10), 0);
    EXPECT_EQ(gray(page, 19, 10), 255);
    EXPECT_EQ(gray(page, 20, 9), 255);
    EXPECT_EQ(gray(page, 21, 10), 255);
    EXPECT_EQ(gray(page, 20, 11), 255);
}

TEST(PdfPageDeviceTest, ALineOfOneColumnPicturesIsOneMaskAndPicturesOffTheSheetAreLeftOut) {
    // 9-pin graphics sent a column at a time (ESC K 1 0 n), past the sheet's right edge
    // (840), and pictures wholly off the sheet.
    TempFolder folder;
    std::string pdf = folder.file("job.pdf");
    {
        auto device = pdfDevice(pdf, smallPaper());
        device->beginDocument("DOS-console task");
        BitImage column(1, 8);
        for (int pin = 0; pin < 8; pin += 2)
            column.setDot(0, pin);
        for (int x = 0; x < 1000; x += 2)
            device->drawImage(x, 100, x + 2, 112, column);
        device->drawImage(0, 5000, 2, 5012, column);
        device->drawImage(-300, 100, -200, 112, column);
        device->endDocument();
        device->close();
    }
    std::ifstream file(pdf, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::size_t masks = 0;
    for (std::size_t at = bytes.find("/Subtype/Image"); at != std::string::npos;
         at = bytes.find("/Subtype/Image", at + 1))
        ++masks;
    EXPECT_EQ(masks, 1u);
    EXPECT_NE(bytes.find("/Width 420/Height 8/ImageMask true"), std::string::npos);
    EXPECT_LT(bytes.size(), 2000u);

    // Every second row of the line is ink up to the sheet's edge, at 100 dpi a dot of
    // 2 by 1.5 pixels.
    QImage page = rasterPage(folder, pdf, 1, 100);
    const int ox = 10, oy = 20;
    EXPECT_EQ(gray(page, ox, oy + 100), 0);
    EXPECT_EQ(gray(page, ox + 839, oy + 100), 0);
    EXPECT_EQ(gray(page, ox + 400, oy + 102), 255);
    EXPECT_EQ(gray(page, ox + 400, oy + 103), 0);
    EXPECT_EQ(gray(page, ox + 400, oy + 99), 255);
    EXPECT_EQ(gray(page, ox + 400, oy + 112), 255);
}

TEST(PdfPageDeviceTest, PdfToStandardOutput) {
    ::testing::internal::CaptureStdout();
    {
        auto device = pdfDevice("-", smallPaper());
        device->beginDocument("DOS-console task");
        device->endDocument();
        device->close();
    }
    std::string pdf = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(pdf.substr(0, 8), "%PDF-1.5");
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
}

TEST(PdfPageDeviceTest, PdfPrinterNeverOverwritesAnEarlierFile) {
    TempFolder temporary;
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", temporary.file("home").c_str(), 1);
    EXPECT_EQ(PdfFolderDestination::defaultFolder(), temporary.file("home") + "/PDF");
    setenv("HOME", home.c_str(), 1);

    // Two documents of one job in the same second, into a folder that does not exist yet.
    std::string folder = temporary.file("new/PDF");
    setenv("MARLET_PDF_DIR", folder.c_str(), 1);
    EXPECT_EQ(PdfFolderDestination::defaultFolder(), folder);
    {
        PdfPageDevice device(smallPaper(), std::make_unique<PdfFolderDestination>(
                                               PdfFolderDestination::defaultFolder()));
        for (int document = 0; document < 2; ++document) {
            device.beginDocument("DOS-console task");
            device.newPage();
            device.endDocument();
        }
        device.close();
    }
    unsetenv("MARLET_PDF_DIR");

    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 2u);
    std::regex named(R"(DOS-console task \d{4}-\d\d-\d\d \d\d-\d\d-\d\d( \(2\))?\.pdf)");
    EXPECT_TRUE(std::regex_match(files[0], named)) << files[0];
    EXPECT_TRUE(std::regex_match(files[1], named)) << files[1];
    EXPECT_EQ(readBoxes(folder + "/" + files[0]).size(), 2u);
    EXPECT_EQ(readBoxes(folder + "/" + files[1]).size(), 2u);

    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 6;
    local.tm_hour = 9;
    local.tm_min = 41;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const std::time_t started = std::mktime(&local);
    std::string earlier = folder + "/a-b 2026-12-06 09-41-07.pdf";
    EXPECT_EQ(PdfFolderDestination::freeFileName(folder, "a/b", started), earlier);
    std::ofstream(earlier).put('x');
    EXPECT_EQ(PdfFolderDestination::freeFileName(folder, "a/b", started),
              folder + "/a-b 2026-12-06 09-41-07 (2).pdf");
    std::ofstream(folder + "/a-b 2026-12-06 09-41-07 (2).pdf").put('x');
    EXPECT_EQ(PdfFolderDestination::freeFileName(folder, "a/b", started),
              folder + "/a-b 2026-12-06 09-41-07 (3).pdf");
}

TEST(PdfPageDeviceTest, FontsGoInAsSubsetsWithUnicodeAndTheSameJobGivesTheSameBytes) {
    TempFolder folder;
    std::string job = folder.file("job.prn");
    std::ofstream(job, std::ios::binary)
        << readFileBytes(MARLET_SOURCE_DIR "/examples/invoice.prn").value_or("")
        << dos(framedShades());
    for (const char* name : {"first.pdf", "second.pdf"}) {
        auto device = pdfDevice(folder.file(name), VirtualPaper{});
        printJob(*device, job);
    }
    const std::string first = readFileBytes(folder.file("first.pdf")).value_or("");
    ASSERT_GT(first.size(), 1000u);
    EXPECT_EQ(readFileBytes(folder.file("second.pdf")).value_or(""), first);

    // One face serves the whole job: a subset (six capitals and a plus), embedded, with a
    // map back to Unicode.
    std::istringstream fonts(run("pdffonts '" + folder.file("first.pdf") + "'"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(fonts, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(
        lines[2],
        std::regex(R"([A-Z]{6}\+LiberationMono +CID TrueType +Custom +yes yes yes +\d+ +0)")))
        << lines[2];

    EXPECT_EQ(run("qpdf --check '" + folder.file("first.pdf") + "' 2>&1"),
              "checking " + folder.file("first.pdf") +
                  "\nPDF Version: 1.5\nFile is not encrypted\nFile is not linearized\n"
                  "No syntax or stream encoding errors found; the file may still contain\n"
                  "errors that qpdf cannot detect\n");
}

TEST(PdfPageDeviceTest, AFaceOfManyGlyphsGoesInAsFontsOfOneByteCodes) {
    // Latin, Latin-1, Greek and Cyrillic letters: more glyphs of one face than a font of
    // one-byte codes holds, the bytes that a literal string escapes among their codes.
    std::u16string characters;
    for (char16_t c = u'!'; c <= u'~'; ++c)
        characters += c;
    for (char16_t c = u'\u00C0'; c <= u'\u00FF'; ++c)
        characters += c;
    for (char16_t c = u'\u0391'; c <= u'\u03A1'; ++c)
        characters += c;
    for (char16_t c = u'\u03B1'; c <= u'\u03C9'; ++c)
        characters += c;
    for (char16_t c = u'\u0410'; c <= u'\u044F'; ++c)
        characters += c;
    ASSERT_GT(characters.size(), 252u);
    std::vector<std::u16string> lines;
    for (std::size_t start = 0; start < characters.size(); start += 80)
        lines.push_back(characters.substr(start, 80));

    TempFolder folder;
    const VirtualPaper paper = a4At300();
    auto draw = [&](PageDevice& device) {
        device.createFont(cellFontRequest(50, 25));
        device.beginDocument("DOS-console task");
        for (std::size_t line = 0; line < lines.size(); ++line)
            for (std::size_t cell = 0; cell < lines[line].size(); ++cell)
                device.textOut(static_cast<int>(cell) * 25, static_cast<int>(line) * 50,
                               lines[line][cell]);
        device.endDocument();
        device.close();
    };
    const std::string pdf = folder.file("letters.pdf");
    draw(*pdfDevice(pdf, paper));
    QtDeviceSet qt;
    draw(*openOutputFile(folder.file("letters.png"), paper, &qt));

    // Two fonts of the one face, each with its codes and its map back to Unicode.
    std::istringstream fonts(run("pdffonts '" + pdf + "'"));
    std::vector<std::string> fontLines;
    for (std::string line; std::getline(fonts, line);)
        fontLines.push_back(line);
    ASSERT_EQ(fontLines.size(), 4u);
    for (std::size_t i = 2; i < 4; ++i)
        EXPECT_TRUE(std::regex_match(
            fontLines[i],
            std::regex(R"([A-Z]{6}\+LiberationMono +CID TrueType +Custom +yes yes yes +\d+ +0)")))
            << fontLines[i];

    std::istringstream text(run("pdftotext -layout -enc UTF-8 '" + pdf + "' -"));
    for (const std::u16string& line : lines) {
        std::string got;
        std::getline(text, got);
        EXPECT_EQ(got, utf8(line));
    }
    // Each code draws its own glyph.
    QImage png = pngPage(folder.file("letters-1.png"));
    QImage raster = rasterPage(folder, pdf, 1, paper.dpi);
    ASSERT_EQ(raster.size(), png.size());
    RasterDifference inPlace = compareRasters(raster, png, 96, 0);
    EXPECT_GT(inPlace.inked, 10000);
    EXPECT_LT(inPlace.differing * 1000, inPlace.inked);
    EXPECT_EQ(compareRasters(raster, png, 96, 1).differing, 0);
}

TEST(PdfPageDeviceTest, UnderlineAndStrikeOutRuleTheirCells) {
    TempFolder folder;
    std::string pdf = folder.file("job.pdf");
    {
        auto device = pdfDevice(pdf, smallPaper());
        device->beginDocument("DOS-console task");
        FontRequest request = cellFontRequest(100, 50);
        request.underline = true;
        device->createFont(request);
        device->textOut(0, 0, u'_');
        device->textOut(50, 0, u' ');
        request.underline = false;
        request.strikeout = true;
        device->createFont(request);
        device->textOut(200, 0, u' ');
        device->textOut(250, 0, u' ');
        request.strikeout = false;
        device->createFont(request);
        device->textOut(400, 0, u' ');
        device->endDocument();
        device->close();
    }
    QImage page = rasterPage(folder, pdf, 1, 100);
    ASSERT_EQ(page.size(), QSize(850, 1100));
    const int ox = 10, oy = 20;
    auto inkedRows = [&](int x) {
        std::vector<int> rows;
        for (int y = -10; y < 110; ++y)
            if (gray(page, ox + x, oy + y) < 128)
                rows.push_back(y);
        return rows;
    };
    // The cell is winAscent 1705 + winDescent 615 units, so the baseline is row 73 and a
    // unit 1/23.2 pixel. The underline is 84 units thick, centred 435 units below the
    // baseline; the strike-out 102 units thick, centred 530 above it. Neighbouring cells
    // join into one rule with no gap.
    const std::vector<int> underline = {78, 79, 80, 81, 90, 91, 92, 93};
    EXPECT_EQ(inkedRows(0), underline); // the underscore glyph, then the rule
    EXPECT_EQ(inkedRows(25), underline);
    EXPECT_EQ(inkedRows(50), (std::vector<int>{90, 91, 92, 93}));
    EXPECT_EQ(inkedRows(99), (std::vector<int>{90, 91, 92, 93}));
    EXPECT_EQ(inkedRows(100), std::vector<int>{});
    EXPECT_EQ(inkedRows(199), std::vector<int>{});
    EXPECT_EQ(inkedRows(200), (std::vector<int>{48, 49, 50, 51}));
    EXPECT_EQ(inkedRows(299), (std::vector<int>{48, 49, 50, 51}));
    EXPECT_EQ(inkedRows(300), std::vector<int>{});
    EXPECT_EQ(inkedRows(425), std::vector<int>{}); // plain again
}

TEST(PdfPageDeviceTest, TurnedTextTurnsAboutItsCellsCornerOnPdfAndPngPagesAlike) {
    // A 100 by 50 cell turned 0, 90, 180 and 270 degrees counterclockwise about its top-left
    // corner: the glyph stays inside the turned cell, the underline (rows 90 to 93 of an
    // upright cell) turns with it, and the PDF and the Qt page draw the same glyphs.
    struct Turn {
        int escapement;
        int x, y;                                     // the cell's corner
        int left, top, right, bottom;                 // the turned cell on the page
        int ruleLeft, ruleTop, ruleRight, ruleBottom; // the underline of a blank beside it
    };
    const Turn turns[] = {
        {0, 100, 100, 100, 100, 150, 200, 200, 190, 250, 194},
        {900, 300, 300, 300, 250, 400, 300, 390, 150, 394, 200},
        {1800, 600, 300, 550, 200, 600, 300, 450, 206, 500, 210},
        {2700, 300, 600, 200, 600, 300, 650, 206, 700, 210, 750},
    };
    auto draw = [&](PageDevice& device) {
        device.beginDocument("DOS-console task");
        for (const Turn& turn : turns) {
            FontRequest request = cellFontRequest(100, 50);
            request.escapement = request.orientation = turn.escapement;
            device.createFont(request);
            device.textOut(turn.x, turn.y, u'L');
            request.underline = true;
            device.createFont(request);
            // The blank's corner, two cells further along the turned line.
            const int along[4][2] = {{100, 0}, {0, -100}, {-100, 0}, {0, 100}};
            const int* step = along[turn.escapement / 900];
            device.textOut(turn.x + step[0], turn.y + step[1], u' ');
        }
        device.endDocument();
        device.close();
    };
    TempFolder folder;
    {
        auto device = pdfDevice(folder.file("turned.pdf"), smallPaper());
        draw(*device);
    }
    {
        QtDeviceSet qt;
        auto device = openOutputFile(folder.file("turned.png"), smallPaper(), &qt);
        draw(*device);
    }
    const QImage pdf = rasterPage(folder, folder.file("turned.pdf"), 1, 100);
    const QImage png = pngPage(folder.file("turned-1.png"));
    ASSERT_EQ(pdf.size(), QSize(850, 1100));
    ASSERT_EQ(png.size(), QSize(850, 1100));
    const int ox = 10, oy = 20;
    for (const Turn& turn : turns) {
        int inkLeft = 850, inkTop = 1100, inkRight = 0, inkBottom = 0;
        for (int y = turn.top - 20; y < turn.bottom + 20; ++y)
            for (int x = turn.left - 20; x < turn.right + 20; ++x)
                if (gray(pdf, ox + x, oy + y) < 128) {
                    inkLeft = std::min(inkLeft, x);
                    inkTop = std::min(inkTop, y);
                    inkRight = std::max(inkRight, x + 1);
                    inkBottom = std::max(inkBottom, y + 1);
                }
        EXPECT_GE(inkLeft, turn.left) << turn.escapement;
        EXPECT_GE(inkTop, turn.top) << turn.escapement;
        EXPECT_LE(inkRight, turn.right) << turn.escapement;
        EXPECT_LE(inkBottom, turn.bottom) << turn.escapement;
        EXPECT_GT(inkRight - inkLeft, 10) << turn.escapement;
        for (int y = turn.ruleTop; y < turn.ruleBottom; ++y)
            for (int x = turn.ruleLeft; x < turn.ruleRight; ++x)
                EXPECT_LT(gray(pdf, ox + x, oy + y), 128)
                    << turn.escapement << " " << x << "," << y;
        EXPECT_GE(gray(pdf, ox + turn.ruleLeft - 1, oy + turn.ruleTop - 1), 128) << turn.escapement;
        EXPECT_GE(gray(pdf, ox + turn.ruleRight, oy + turn.ruleBottom), 128) << turn.escapement;
        // The glyphs agree; the Qt page draws its underline as the face's own, a row apart.
        const QRect cell(ox + turn.left, oy + turn.top, turn.right - turn.left,
                         turn.bottom - turn.top);
        EXPECT_EQ(compareRasters(pdf.copy(cell), png.copy(cell), 96, 1).differing, 0)
            << turn.escapement;
    }
}

namespace {

std::u16string ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// A page of a warehouse report as a DOS program prints it: a title, a framed table with
// its rows, a total, and a form feed.
std::vector<std::u16string> reportPage(int page) {
    static const std::u16string goods[] = {u"Бумага офисная A4", u"Картридж HP LaserJet",
                                           u"Папка-регистратор", u"Ручка шариковая"};
    std::vector<std::u16string> lines = {
        u"АО \"Северный склад\"    Оборотная ведомость N 3    Лист " + ascii(std::to_string(page)),
        u"",
        u"┌─────┬──────────────────────┬──────┬────────────┐",
        u"│  N  │ Наименование         │Кол-во│      Сумма │",
        u"├─────┼──────────────────────┼──────┼────────────┤",
    };
    for (int row = 1; row <= 25; ++row) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%5d", (page - 1) * 25 + row);
        std::u16string line = u"│" + ascii(numbers) + u"│ ";
        std::u16string name = goods[row % 4];
        name.resize(21, u' ');
        std::snprintf(numbers, sizeof numbers, "%6d", row * 7);
        line += name + u"│" + ascii(numbers) + u"│";
        std::snprintf(numbers, sizeof numbers, "%9d.%02d", row * 3851, row % 100);
        line += ascii(numbers) + u" │";
        lines.push_back(line);
    }
    lines.push_back(u"└─────┴──────────────────────┴──────┴────────────┘");
    lines.push_back(u"                          Итого по листу:  1 251 575.25");
    return lines;
}

// A line's words: what remains between spaces once frame strokes are taken away.
std::vector<std::string> wordsOf(const std::u16string& line) {
    static const std::u16string_view frames = u"│─┌┐└┘├┤┬┴┼";
    std::u16string text = line;
    for (char16_t& c : text)
        if (frames.find(c) != std::u16string_view::npos)
            c = u' ';
    std::vector<std::string> words;
    std::istringstream in(utf8(text));
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

} // namespace

TEST(PdfPageDeviceTest, LayoutTextGivesBackTheReportLineForLine) {
    TempFolder folder;
    std::string job = folder.file("report.prn");
    {
        std::ofstream out(job, std::ios::binary);
        for (int page = 1; page <= 2; ++page) {
            for (const std::u16string& line : reportPage(page))
                out << dos(line) << "\r\n";
            out << '\f';
        }
    }
    {
        auto device = pdfDevice(folder.file("report.pdf"), VirtualPaper{});
        printJob(*device, job);
    }
    std::string text = run("pdftotext -layout -enc UTF-8 '" + folder.file("report.pdf") + "' -");
    std::vector<std::string> pages;
    for (std::size_t start = 0, feed; (feed = text.find('\f', start)) != std::string::npos;
         start = feed + 1)
        pages.push_back(text.substr(start, feed - start));
    ASSERT_EQ(pages.size(), 2u);
    for (int page = 1; page <= 2; ++page) {
        std::vector<std::vector<std::string>> expected, got;
        for (const std::u16string& line : reportPage(page))
            expected.push_back(wordsOf(line));
        std::istringstream in(pages[page - 1]);
        for (std::string line; std::getline(in, line);)
            got.push_back(wordsOf(line));
        EXPECT_EQ(got, expected) << pages[page - 1];
    }
}

TEST(PdfPageDeviceTest, PdfPixelsKeepTheDeviceRulesOfThePngPages) {
    auto draw = [](PageDevice& device) {
        device.beginDocument("DOS-console task");
        device.setPenWidth(0);
        device.moveTo(100, 50);
        device.lineTo(110, 50);
        device.moveTo(110, 70);
        device.lineTo(100, 70);
        device.moveTo(600, 0);
        device.lineTo(605, 5);
        device.moveTo(650, 0);
        device.lineTo(640, 23);
        device.setPenWidth(1);
        device.moveTo(30, 20);
        device.lineTo(30, 40);
        device.setPenWidth(5);
        device.moveTo(200, 100);
        device.lineTo(200, 140);
        device.lineTo(240, 140);
        device.setPenWidth(3);
        device.moveTo(260, 100);
        device.lineTo(260, 140);
        device.fillRect(400, 400, 402, 402); // before any fill colour: black
        device.setFillColor(128, 128, 128);
        device.fillRect(300, 300, 320, 310);
        device.fillRect(350, 300, 350, 310); // empty
        device.setFillColor(192, 192, 192);
        device.fillRect(320, 300, 330, 301);
        device.newPage();
        device.fillRect(0, 0, 1, 1);
        device.endDocument();
        device.close();
    };
    TempFolder folder;
    {
        auto device = pdfDevice(folder.file("rules.pdf"), smallPaper());
        draw(*device);
    }
    {
        QtDeviceSet qt;
        auto device = openOutputFile(folder.file("rules.png"), smallPaper(), &qt);
        draw(*device);
    }
    const int ox = 10, oy = 20;
    for (int page = 1; page <= 2; ++page) {
        QImage pdf = rasterPage(folder, folder.file("rules.pdf"), page, 100);
        QImage png = pngPage(folder.file("rules-" + std::to_string(page) + ".png"));
        ASSERT_EQ(pdf.size(), QSize(850, 1100));
        ASSERT_EQ(png.size(), QSize(850, 1100));
        // Ink (under half a gray scale) on the same pixels, with the same shade.
        // Ink on the same pixels: only the corners of the 3-pixel pen's round ends, whose
        // centres lie inside the cap but which poppler's smoothing covers a quarter at most.
        std::vector<std::pair<int, int>> differing;
        for (int y = 0; y < pdf.height(); ++y)
            for (int x = 0; x < pdf.width(); ++x)
                if ((gray(pdf, x, y) < 128) != (gray(png, x, y) < 128))
                    differing.emplace_back(x - ox, y - oy);
        using Pixels = std::vector<std::pair<int, int>>;
        const Pixels capCorners = {{259, 99}, {261, 99}, {259, 141}, {261, 141}};
        EXPECT_EQ(differing, page == 1 ? capCorners : Pixels{});
        if (page == 1) {
            // Rules come out black and whole; poppler smooths their far edges by an eighth.
            EXPECT_EQ(gray(pdf, ox + 100, oy + 50), 0);
            EXPECT_EQ(gray(pdf, ox + 109, oy + 50), 0);
            EXPECT_GE(gray(pdf, ox + 110, oy + 50), 223);
            EXPECT_GE(gray(pdf, ox + 105, oy + 51), 223);
            EXPECT_EQ(gray(pdf, ox + 105, oy + 49), 255);
            EXPECT_EQ(gray(pdf, ox + 300, oy + 300), 128);
            EXPECT_EQ(gray(pdf, ox + 319, oy + 309), 128);
            EXPECT_EQ(gray(pdf, ox + 320, oy + 300), 192);
            EXPECT_GE(gray(pdf, ox + 320, oy + 301), 223);
        } else {
            // The fill colour stays set across pages, as a canvas brush does.
            EXPECT_EQ(gray(pdf, ox, oy), 192);
            EXPECT_EQ(gray(pdf, ox + 1, oy), 255);
        }
    }
}

TEST(PdfPageDeviceTest, RasterOfAJobAgreesWithThePngPages) {
    TempFolder folder;
    std::string job = folder.file("job.prn");
    std::ofstream(job, std::ios::binary)
        << readFileBytes(MARLET_SOURCE_DIR "/examples/invoice.prn").value_or("")
        << dos(framedShades());
    const VirtualPaper paper = a4At300();
    {
        auto device = pdfDevice(folder.file("job.pdf"), paper);
        printJob(*device, job);
    }
    {
        QtDeviceSet qt;
        auto device = openOutputFile(folder.file("job.png"), paper, &qt);
        printJob(*device, job);
    }
    ASSERT_FALSE(fs::exists(folder.file("job-3.png")));
    for (int page = 1; page <= 2; ++page) {
        QImage png = pngPage(folder.file("job-" + std::to_string(page) + ".png"));
        QImage pdf = rasterPage(folder, folder.file("job.pdf"), page, paper.dpi);
        ASSERT_EQ(pdf.size(), QSize(2480, 3508));
        ASSERT_EQ(png.size(), QSize(2480, 3508));
        // Glyph edges are smoothed by two different rasterisers and the round ends of a
        // 2-pixel pen fall differently on the pixel grid; nothing else may differ.
        RasterDifference inPlace = compareRasters(pdf, png, 96, 0);
        RasterDifference shifted = compareRasters(pdf, png, 96, 1);
        EXPECT_GT(inPlace.inked, 20000);
        EXPECT_LT(inPlace.differing * 1000, inPlace.inked)
            << "page " << page << ": " << inPlace.differing << " of " << inPlace.inked;
        EXPECT_EQ(shifted.differing, 0) << "page " << page;
    }
}
