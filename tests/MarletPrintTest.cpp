// marlet-print as a user runs it: the binary, its files and its exit status.

#include "support/ChildProcess.h"
#include "support/ProgramFolderTest.h"
#include "support/ShellCommand.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Result = marlet::testing::ProgramResult;

class MarletPrintTest : public marlet::testing::ProgramFolderTest {
protected:
    MarletPrintTest() : ProgramFolderTest("marlet-print-test") {}

    // Runs marlet-print in the test folder with the shipped data; stdin from a file.
    Result run(const std::string& arguments, const std::string& input = "",
               const std::string& environment = "") {
        return runProgram("'" MARLET_BINARY_DIR "/marlet-print' --data-dir '" MARLET_DATA_DIR "' " +
                              arguments,
                          input, environment);
    }

    // Runs a command line in the test folder, the folder its home.
    Result runProgram(const std::string& commandLine, const std::string& input = "",
                      const std::string& environment = "") {
        return runInFolder(commandLine, input, "HOME='" + folder.string() + "' " + environment);
    }
};

} // namespace

TEST_F(MarletPrintTest, GeometryOfTheDefaultSettings) {
    Result result = run("--geometry --device-dpi 600 --paper 4960x7016px --unprintable 100,100");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "origin=-6,-6 cell=50x100 line=100 chars=94 lines=67 monospace=1\n");
    EXPECT_EQ(result.err, "");

    // Landscape on a 300 dpi Letter sheet with a 5 mm left margin and a proportional face.
    result =
        run("--geometry --device-dpi 300 --paper Letter --unprintable 50,60 --set Orientation=1 "
            "--set LeftMargin=5 --set TopMargin=0 --set \"FontName=DejaVu Sans\"");
    EXPECT_EQ(result.out, "origin=-1,-50 cell=25x50 line=50 chars=126 lines=49 monospace=0\n");
}

TEST_F(MarletPrintTest, TheSampleInvoicePrintsAsTextInAPdf) {
    Result result = run("'" MARLET_SOURCE_DIR "/examples/invoice.prn' -o invoice.pdf");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::string text = pdfText("invoice.pdf");
    EXPECT_NE(text.find("СЧЕТ-ФАКТУРА № 1452 от 14.03.1997"), std::string::npos) << text;
    EXPECT_NE(text.find("Степлер №24/6, металл"), std::string::npos);
    EXPECT_NE(text.find("Итого к оплате: 13 337.50"), std::string::npos);
}

TEST_F(MarletPrintTest, AJobForAFileNeverLoadsTheCupsLibrary) {
    // libcups and the libraries behind it take longer to load than a small job to print.
    Result result =
        run("'" MARLET_SOURCE_DIR "/examples/invoice.prn' -o invoice.pdf", "", "LD_DEBUG=files");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("libfontconfig"), std::string::npos);
    EXPECT_EQ(result.err.find("libcups"), std::string::npos);
}

TEST_F(MarletPrintTest, StandardInputInAndPdfOut) {
    Result result = run("- -o -", "Hello from DOS\r\n\x8F\xE0\xA8\xA2\xA5\xE2\x0C");
    ASSERT_EQ(result.status, 0) << result.err;
    ASSERT_EQ(result.out.rfind("%PDF-", 0), 0u);
    write("out.pdf", result.out);
    std::string text = pdfText("out.pdf");
    EXPECT_NE(text.find("Hello from DOS"), std::string::npos);
    EXPECT_NE(text.find("Привет"), std::string::npos);

    // An empty stream starts no document: no file, and the user is told.
    Result empty = run("- -o empty.pdf", "");
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.err, "marlet-print: nothing to print\n");
    EXPECT_FALSE(fs::exists(folder / "empty.pdf"));
}

TEST_F(MarletPrintTest, AFramedBoxHasJoinedCornersOnThePage) {
    // ╔═╗ / ║ ║ / ╚═╝ at 100 dpi: cell 8 x 17, gap 1, pen 0 (one pixel).
    write("box.prn", "\xC9\xCD\xBB\r\n\xBA \xBA\r\n\xC8\xCD\xBC\r\n");
    Result result = run("box.prn -o box.png --device-dpi 100 --paper 300x300px --unprintable 0,0 "
                        "--set TopMargin=0 --set LeftMargin=0");
    ASSERT_EQ(result.status, 0) << result.err;
    QImage page((folder / "box-1.png").c_str());
    ASSERT_FALSE(page.isNull());
    auto ink = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    // X1 = R(4 - 0.5) = 4 (a tie to even); XL = R(4 - 1.5) = 2; XR = R(4 + 1.5) = 6;
    // YT = R(8.5 - 1.5) = 7; YB = R(8.5 + 1.5) = 10.
    const int left[] = {2, 6}, top[] = {7, 10};
    const int right[] = {16 + 6, 16 + 2}, bottom[] = {34 + 10, 34 + 7};
    for (int i = 0; i < 2; ++i) {
        // The outer and inner rectangles run unbroken across all three cells.
        for (int x = left[i]; x <= right[i]; ++x) {
            EXPECT_TRUE(ink(x, top[i])) << "top " << i << " x=" << x;
            EXPECT_TRUE(ink(x, bottom[i])) << "bottom " << i << " x=" << x;
        }
        for (int y = top[i]; y <= bottom[i]; ++y) {
            EXPECT_TRUE(ink(left[i], y)) << "left " << i << " y=" << y;
            EXPECT_TRUE(ink(right[i], y)) << "right " << i << " y=" << y;
        }
    }
    // Nothing between the two rectangles, nothing in the middle cell.
    EXPECT_FALSE(ink(4, 8));
    EXPECT_FALSE(ink(12, 25));
    EXPECT_FALSE(ink(2, 6));
}

TEST_F(MarletPrintTest, FailuresGiveTheirMessageAndStatus) {
    Result missing = run("no-such.prn -o out.pdf");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "marlet-print: Cannot open file " + (folder / "no-such.prn").string() +
                               ": No such file or directory\n");
    EXPECT_FALSE(fs::exists(folder / "out.pdf"));

    Result folderGiven = run("/tmp -o out.pdf");
    EXPECT_EQ(folderGiven.status, 1);
    EXPECT_EQ(folderGiven.err, "marlet-print: Cannot open file /tmp: Is a directory\n");

    Result noRegistry = run("--geometry --registry absent.db");
    EXPECT_EQ(noRegistry.status, 1);
    EXPECT_EQ(noRegistry.err, "marlet-print: Cannot open file " + (folder / "absent.db").string() +
                                  ": No such file or directory\n");

    Result usage = run("--frobnicate");
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err.rfind("marlet-print: unknown option '--frobnicate'\nUsage:", 0), 0u);
    EXPECT_EQ(run("--set Nothing=1 --geometry").status, 2);
    EXPECT_EQ(run("a.prn b.prn").status, 2);
    EXPECT_EQ(run("a.prn -o out.txt").status, 2);
}

TEST_F(MarletPrintTest, TraceWritesOneLinePerDeviceOperation) {
    write("job.prn", "A\xDB");
    Result result = run("job.prn --trace trace.txt -o out.pdf");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(read("trace.txt"),
              "orientation portrait\n"
              "font face=\"Courier New\" height=100 width=50 escapement=0 orientation=0 weight=0 "
              "italic=0 underline=0 strikeout=0 charset=0 out_precision=2 clip_precision=0 "
              "quality=0 pitch_family=1\n"
              "font face=\"Courier New\" height=100 width=50 escapement=0 orientation=0 weight=0 "
              "italic=0 underline=0 strikeout=0 charset=204 out_precision=4 clip_precision=0 "
              "quality=2 pitch_family=1\n"
              "begin_document \"DOS-console task\"\n"
              "text -6 -6 U+0041\n"
              "font face=\"Courier New\" height=100 width=50 escapement=0 orientation=0 weight=0 "
              "italic=0 underline=0 strikeout=0 charset=0 out_precision=4 clip_precision=0 "
              "quality=2 pitch_family=1\n"
              "pen_width 5\n"
              "fill_color 0 0 0\n"
              "fill_rect 44 -6 94 94\n"
              "end_document\n");
}

TEST_F(MarletPrintTest, WithoutAPrinterEachDocumentBecomesAPdfInThePdfFolder) {
    // An orientation change cannot happen without escapes yet, so one document: one file.
    write("job.prn", "one\x0Ctwo\x0C");
    Result result = run("job.prn", "", "CUPS_SERVER=/nonexistent MARLET_PDF_DIR=pdf-out");
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder / "pdf-out"))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind("DOS-console task ", 0), 0u);
    EXPECT_EQ(files[0].extension(), ".pdf");
    std::string text = pdfText(fs::relative(files[0], folder).string());
    EXPECT_NE(text.find("one"), std::string::npos);
    EXPECT_NE(text.find("two"), std::string::npos);
    // The user is told where the file went.
    EXPECT_EQ(result.err, "marlet-print: the PDF printer wrote " + files[0].string() + "\n");
}

TEST_F(MarletPrintTest, AJobForThePdfPrinterNeverLoadsQtEvenWithoutCups) {
    // The resident names the PDF printer for every job on a machine without a printer:
    // Qt's libraries would take longer to load than the job takes to print.
    write("job.prn", "receipt\r\n");
    Result result = run("job.prn -P 'PDF printer'", "",
                        "CUPS_SERVER=/nonexistent MARLET_PDF_DIR=pdf-out LD_DEBUG=files");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("the PDF printer wrote"), std::string::npos);
    EXPECT_EQ(result.err.find("libQt6"), std::string::npos);
}

TEST_F(MarletPrintTest, WithoutAFileTheQueueFileIsPrintedAndKept) {
    write("queue", "queued job");
    Result result = run("--set 'Spool=" + (folder / "queue").string() + "' -o queue.pdf");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(pdfText("queue.pdf").find("queued job"), std::string::npos);
    EXPECT_EQ(read("queue"), "queued job");
}

TEST_F(MarletPrintTest, SettingsComeFromTheStoreAndSetWinsForOneRun) {
    const std::string store = (folder / "registry.db").string();
    const std::string reg = "'" MARLET_BINARY_DIR "/marlet-reg' --registry '" + store + "' ";
    ASSERT_EQ(std::system((reg + "set . LeftMargin 20").c_str()), 0);
    ASSERT_EQ(std::system((reg + "set --string . TopMargin ten").c_str()), 0);
    Result result = run("--registry registry.db --geometry");
    EXPECT_EQ(result.status, 0);
    // 20 mm is R(472.44) pixels; the bad top margin is reported and the default kept.
    EXPECT_EQ(result.out, "origin=372,-6 cell=50x100 line=100 chars=87 lines=67 monospace=1\n");
    EXPECT_EQ(result.err, "marlet-print: Invalid data type for 'TopMargin'\n");
    result = run("--geometry --set LeftMargin=0", "", "MARLET_REGISTRY=registry.db");
    EXPECT_EQ(result.out, "origin=-100,-6 cell=50x100 line=100 chars=96 lines=67 monospace=1\n");
}

TEST_F(MarletPrintTest, AnEpsonStreamPrintsWithTheEpsonSchemeAndNoEscapeShows) {
    // A data folder of our own: the shipped tables, and the Epson drop list (empty: the
    // language takes every command) as unused.seq.
    fs::create_directories(folder / "data");
    for (const char* name : {"866.cp", "Русский.lng"})
        fs::copy_file(fs::path(MARLET_DATA_DIR) / name, folder / "data" / name);
    fs::copy_file(fs::path(MARLET_DATA_DIR) / "schemes/epson-escp-9pin.seq",
                  folder / "data/unused.seq");
    const std::string reg = "'" MARLET_BINARY_DIR "/marlet-reg' --registry '" +
                            (folder / "registry.db").string() + "' ";
    ASSERT_EQ(
        std::system((reg + "import '" MARLET_DATA_DIR "/schemes/epson-escp-9pin.reg'").c_str()), 0);
    ASSERT_EQ(std::system((reg + "set . Sequence 'Epson ESC-P 9-pin'").c_str()), 0);

    const std::string esc = "\x1B";
    write("epson.prn", esc + "@" + esc + "x1Normal " + esc + "EBold" + esc + "F " +
                           "\x0F"
                           "Condensed"
                           "\x12"
                           " " +
                           esc + "W1Wide" + esc + "W0 " + esc + "MElite" + esc + "P " + esc +
                           "4Italic" + esc + "5 " + esc + "-1Under" + esc + "-0\r\n\x0C");
    Result result = run("--registry registry.db --data-dir data epson.prn -o epson.pdf "
                        "--trace trace.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    std::string text = pdfText("epson.pdf");
    for (const char* word : {"Normal", "Bold", "Condensed", "Wide", "Elite", "Italic", "Under"})
        EXPECT_NE(text.find(word), std::string::npos) << word << " in " << text;
    // Nothing but the words and the blanks between them reached the page.
    std::string letters;
    for (char c : text) {
        if (c != ' ' && c != '\n' && c != '\f')
            letters += c;
    }
    EXPECT_EQ(letters, "NormalBoldCondensedWideEliteItalicUnder");
    std::string trace = read("trace.txt");
    // From 10 cpi at power-on, with the 80-column line fitted to A4's 4760 pixels (59 a
    // pica column): bold, 17.14 cpi condensed, double width, elite and italic fonts.
    EXPECT_NE(trace.find("height=98 width=59 escapement=0 orientation=0 weight=700"),
              std::string::npos);
    EXPECT_NE(trace.find("height=98 width=34 "), std::string::npos);
    EXPECT_NE(trace.find("height=98 width=118 "), std::string::npos);
    EXPECT_NE(trace.find("height=98 width=49 "), std::string::npos);
    EXPECT_NE(trace.find("weight=0 italic=1 underline=0"), std::string::npos);
    EXPECT_NE(trace.find("weight=0 italic=0 underline=1"), std::string::npos);
}

namespace {

int inkyPixels(const QImage& page) {
    int count = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x)
            count += qGray(page.pixel(x, y)) < 128;
    }
    return count;
}

// The box around every dark pixel of a page.
QRect inkBounds(const QImage& page) {
    QRect bounds;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

TEST_F(MarletPrintTest, PngPagesShowThePdfLayoutAtTheResolutionAsked) {
    const std::string report =
        "'" MARLET_SOURCE_DIR "/examples/wide-report.prn' --set Orientation=1 ";
    ASSERT_EQ(run(report + "-o report.pdf").status, 0);
    std::string text = pdfText("report.pdf");
    const auto pdfPages = std::count(text.begin(), text.end(), '\f');

    auto pngPages = [&](const std::string& stem) {
        int pages = 0;
        while (fs::exists(folder / (stem + "-" + std::to_string(pages + 1) + ".png")))
            ++pages;
        return pages;
    };
    Result low = run(report + "-o low.png --dpi 100");
    ASSERT_EQ(low.status, 0) << low.err;
    Result high = run(report + "-o high.png --dpi 300");
    ASSERT_EQ(high.status, 0) << high.err;
    EXPECT_EQ(pngPages("low"), pdfPages);
    EXPECT_EQ(pngPages("high"), pdfPages);

    // A landscape A4 sheet at 100 dpi, the 600-dpi layout drawn a sixth its size.
    QImage page((folder / "low-1.png").c_str());
    EXPECT_EQ(page.size(), QSize(1169, 827));
    EXPECT_EQ(page.dotsPerMeterX(), 3937);
    QImage sharper((folder / "high-1.png").c_str());
    EXPECT_EQ(sharper.size(), QSize(3508, 2480));
    QRect coarse = inkBounds(page);
    QRect fine = inkBounds(sharper);
    EXPECT_NEAR(coarse.left() * 3, fine.left(), 3);
    EXPECT_NEAR(coarse.top() * 3, fine.top(), 3);
    EXPECT_NEAR(coarse.right() * 3, fine.right(), 4);
    EXPECT_NEAR(coarse.bottom() * 3, fine.bottom(), 4);

    // A device of another resolution is still there to be asked for: the layout follows it.
    Result device = run(report + "-o device.png --device-dpi 100");
    ASSERT_EQ(device.status, 0) << device.err;
    EXPECT_GT(pngPages("device"), pdfPages);
}

TEST_F(MarletPrintTest, GeometryIsTheCellAJobWithTheSameSettingsUses) {
    write("job.prn", "x");
    for (const char* settings : {"", "--set FontSize=12", "--set FontSize=12 --set FontBold=1",
                                 "--set FontSize=9 --set 'FontName=DejaVu Sans Mono'",
                                 "--set FontSize=14 --set Orientation=1"}) {
        SCOPED_TRACE(settings);
        Result geometry = run(std::string("--geometry ") + settings);
        ASSERT_EQ(geometry.status, 0) << geometry.err;
        ASSERT_EQ(run(std::string("job.prn -o job.pdf --trace trace.txt ") + settings).status, 0);
        // The job's cell is the font setpitch makes, the second of the job.
        std::istringstream trace(read("trace.txt"));
        std::string line, cellFont;
        for (int fonts = 0; fonts < 2 && std::getline(trace, line);) {
            if (line.starts_with("font "))
                cellFont = line, ++fonts;
        }
        std::size_t height = cellFont.find("height="), width = cellFont.find(" width=");
        std::string cell = cellFont.substr(width + 7, cellFont.find(' ', width + 1) - width - 7) +
                           "x" + cellFont.substr(height + 7, width - height - 7);
        EXPECT_NE(geometry.out.find(" cell=" + cell + " "), std::string::npos)
            << geometry.out << cellFont;
    }
    EXPECT_EQ(run("--geometry --set FontSize=12").out,
              "origin=-6,-6 cell=60x113 line=113 chars=78 lines=59 monospace=1\n");
}

TEST_F(MarletPrintTest, AFaceThatIsNotInstalledPrintsInAFixedPitchFaceAndTheUserIsToldOnce) {
    const std::string note = "instead of NoSuchFont, which is not installed\n";
    Result geometry = run("--geometry --set FontName=NoSuchFont");
    ASSERT_EQ(geometry.status, 0) << geometry.err;
    EXPECT_NE(geometry.out.find("monospace=1"), std::string::npos) << geometry.out;
    ASSERT_TRUE(geometry.err.starts_with("marlet-print: printing in ")) << geometry.err;
    ASSERT_TRUE(geometry.err.ends_with(note)) << geometry.err;
    const std::string face = geometry.err.substr(26, geometry.err.size() - 26 - note.size() - 1);

    // Bold, normal and condensed fonts in the job: one note all the same.
    write("job.prn", "WWW!!!\x1B"
                     "Bbold\x1B"
                     "b\r\n\x0Fnarrow\x12\r\n");
    Result pdf = run("job.prn -o job.pdf --set FontName=NoSuchFont");
    EXPECT_EQ(pdf.status, 0);
    EXPECT_EQ(pdf.err, geometry.err);

    // The PNG pages print in the same face as the PDF: the one the note names.
    Result missing = run("job.prn -o missing.png --device-dpi 150 --set FontName=NoSuchFont");
    ASSERT_EQ(missing.status, 0) << missing.err;
    Result named = run("job.prn -o named.png --device-dpi 150 --set 'FontName=" + face + "'");
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.err, "");
    QImage fallback((folder / "missing-1.png").c_str());
    EXPECT_GT(inkyPixels(fallback), 0);
    EXPECT_EQ(fallback, QImage((folder / "named-1.png").c_str()));

    // A Windows console face has no twin here: a fixed-pitch face and a note; a face with a
    // metric twin prints in it without one.
    Result console = run("--geometry --set 'FontName=Lucida Console'");
    EXPECT_NE(console.out.find("monospace=1"), std::string::npos);
    EXPECT_EQ(console.err, "marlet-print: printing in " + face +
                               " instead of Lucida Console, which is not installed\n");
    Result courier = run("--geometry --set 'FontName=Courier New'");
    EXPECT_EQ(courier.err, "");
}

TEST_F(MarletPrintTest, BlocksAreBlackAfterAShade) {
    // ▓█▒▄ at 100 dpi: cells of 8 x 17 from the sheet's corner.
    write("blocks.prn", "\xB2\xDB\xB1\xDC");
    Result result = run("blocks.prn -o blocks.png --device-dpi 100 --paper 100x100px "
                        "--unprintable 0,0 --set TopMargin=0 --set LeftMargin=0");
    ASSERT_EQ(result.status, 0) << result.err;
    QImage page((folder / "blocks-1.png").c_str());
    EXPECT_EQ(qGray(page.pixel(4, 8)), 192);
    EXPECT_EQ(qGray(page.pixel(12, 8)), 0);
    EXPECT_EQ(qGray(page.pixel(20, 8)), 128);
    EXPECT_EQ(qGray(page.pixel(28, 4)), 255);
    EXPECT_EQ(qGray(page.pixel(28, 13)), 0);
}

TEST_F(MarletPrintTest, TheDataFolderIsFoundWithoutDataDir) {
    const std::string program = "'" MARLET_BINARY_DIR "/marlet-print' --geometry ";
    const std::string plain =
        "XDG_DATA_HOME='" + (folder / "xdg").string() + "' env -u MARLET_DATA_DIR";
    // In the build tree, the source tree's data.
    Result built = runProgram(program, "", plain);
    EXPECT_EQ(built.status, 0) << built.err;

    // Installed under a prefix: ../share/marlet beside bin/.
    fs::create_directories(folder / "prefix/bin");
    fs::create_directories(folder / "prefix/share/marlet");
    fs::copy_file(MARLET_BINARY_DIR "/marlet-print", folder / "prefix/bin/marlet-print");
    for (const char* name : {"866.cp", "437.cp", "Русский.lng"})
        fs::copy_file(fs::path(MARLET_DATA_DIR) / name, folder / "prefix/share/marlet" / name);
    const std::string installed = "prefix/bin/marlet-print --geometry ";
    Result fromPrefix = runProgram(installed + "--set CodePage=850", "", plain);
    EXPECT_EQ(fromPrefix.status, 2);
    EXPECT_NE(fromPrefix.err.find("CodePage takes one of the code pages there are: 437, 866\n"),
              std::string::npos)
        << fromPrefix.err;

    // The user's own folder comes before the installed one, and $MARLET_DATA_DIR before both.
    fs::create_directories(folder / "xdg/marlet");
    fs::copy_file(fs::path(MARLET_DATA_DIR) / "Русский.lng", folder / "xdg/marlet/Русский.lng");
    fs::copy_file(fs::path(MARLET_DATA_DIR) / "1125.cp", folder / "xdg/marlet/1125.cp");
    Result own = runProgram(installed + "--set CodePage=850", "", plain);
    EXPECT_NE(own.err.find("code pages there are: 1125\n"), std::string::npos) << own.err;
    Result named = runProgram(installed + "--set CodePage=999", "",
                              "XDG_DATA_HOME=xdg MARLET_DATA_DIR=" MARLET_DATA_DIR);
    EXPECT_NE(named.err.find("code pages there are: 437, 850, 852, 866, 1125\n"), std::string::npos)
        << named.err;

    // Nowhere to be found: the message names the folders tried.
    fs::remove_all(folder / "xdg");
    fs::remove_all(folder / "prefix/share");
    Result lost = runProgram(installed, "", plain);
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.err, "marlet-print: No data folder (code page tables and language files) in " +
                            (folder / "xdg/marlet").string() + ", " +
                            (folder / "prefix/share/marlet").string() +
                            "; name one with --data-dir or MARLET_DATA_DIR\n");
}

TEST_F(MarletPrintTest, ValuesASettingCannotTakeAreUsageErrorsThatSayWhatItTakes) {
    for (const char* size : {"0", "-5", "abc"}) {
        Result result = run(std::string("--geometry --set FontSize=") + size);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.err.starts_with("marlet-print: --set FontSize=" + std::string(size) +
                                           ": FontSize takes a size in points from 1 to 1638\n"))
            << result.err;
    }
    Result codePage = run("--geometry --set CodePage=999");
    EXPECT_EQ(codePage.status, 2);
    EXPECT_TRUE(codePage.err.starts_with("marlet-print: --set CodePage=999: CodePage takes one of "
                                         "the code pages there are: 437, 850, 852, 866, 1125\n"))
        << codePage.err;
    Result scheme = run("--geometry --set Sequence=Epson");
    EXPECT_EQ(scheme.status, 2);
    EXPECT_TRUE(scheme.err.starts_with("marlet-print: --set Sequence=Epson: Sequence takes one of "
                                       "the schemes 'Default', 'No sequences'\n"))
        << scheme.err;
}

TEST_F(MarletPrintTest, TheActiveSchemeCanBeChosenForOneRun) {
    const std::string reg = "'" MARLET_BINARY_DIR "/marlet-reg' --registry '" +
                            (folder / "registry.db").string() + "' ";
    ASSERT_EQ(std::system((reg + "import '" MARLET_DATA_DIR "/schemes/hp-pcl.reg'").c_str()), 0);
    // PCL's bold on and off; the stored choice stays the built-in set.
    write("pcl.prn", "\x1B(s3BBold\x1B(s0B\r\n");
    Result chosen = run("pcl.prn -o pcl.pdf --trace trace.txt --registry registry.db "
                        "--set 'Sequence=HP PCL'");
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    std::string letters;
    for (char c : pdfText("pcl.pdf")) {
        if (c != ' ' && c != '\n' && c != '\f')
            letters += c;
    }
    EXPECT_EQ(letters, "Bold");
    EXPECT_NE(read("trace.txt").find("weight=700"), std::string::npos);

    Result stored = run("pcl.prn -o stored.pdf --registry registry.db");
    ASSERT_EQ(stored.status, 0) << stored.err;
    EXPECT_NE(pdfText("stored.pdf").find("s3BBold"), std::string::npos);

    // The paper a job chooses reaches the PDF through every device in front of it.
    write("legal.prn", "A4 page\x0C\x1B&l3AOn legal\x0C");
    for (const char* trace : {"", " --trace legal.txt"}) {
        Result legal = run(std::string("legal.prn -o legal.pdf --registry registry.db "
                                       "--set 'Sequence=HP PCL'") +
                           trace);
        ASSERT_EQ(legal.status, 0) << legal.err;
        const std::string sizes =
            marlet::testing::runShell("pdfinfo -f 1 -l 2 '" + (folder / "legal.pdf").string() +
                                      "' | grep '^Page .* size:'")
                .out;
        EXPECT_EQ(sizes, "Page    1 size:  595.2 x 841.92 pts (A4)\n"
                         "Page    2 size:  612 x 1008 pts\n")
            << trace;
    }
}

TEST_F(MarletPrintTest, TheSamplePclJobsReadAsTheirAuthorsMeantThem) {
    const std::string reg = "'" MARLET_BINARY_DIR "/marlet-reg' --registry '" +
                            (folder / "registry.db").string() + "' ";
    ASSERT_EQ(std::system((reg + "import '" MARLET_DATA_DIR "/schemes/hp-pcl.reg'").c_str()), 0);
    const struct {
        const char* name;
        int pages;
        std::vector<std::string> lines;
    } samples[] = {
        {"pcl-letter",
         1,
         {"Northern Warehouse Ltd.", "Your order of 14 March is ready", "Item", "Toner cartridge",
          "Page 1 of 1"}},
        {"pcl-driver-job", 2, {"Quarterly report", "End of page one.", "Page two."}},
        {"pcl-listing", 2, {"STOCK LISTING, WAREHOUSE 3", "01001", "01120", "END OF LISTING"}},
        {"pcl-soft-font", 1, {"TEXT IN THE DOWNLOADED FONT", "Back in the power-on font"}},
    };
    for (const auto& [name, pages, lines] : samples) {
        Result result = run(std::string("'" MARLET_SOURCE_DIR "/examples/") + name +
                            ".prn' -o out.pdf --registry registry.db --set 'Sequence=HP PCL'");
        ASSERT_EQ(result.status, 0) << name << result.err;
        const std::string text = pdfText("out.pdf");
        // pdftotext ends every page with a form feed.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), pages) << name;
        for (const std::string& line : lines)
            EXPECT_NE(text.find(line), std::string::npos) << name << ": " << line;
        // Nothing of a command shows.
        for (const char* command : {"\x1B", "@PJL", "(s", ")s", "*p", "*c", "*b", "&l", "IN;"})
            EXPECT_EQ(text.find(command), std::string::npos) << name << ": " << command;
    }
}

TEST_F(MarletPrintTest, AJobWithNothingToPrintSaysSoAndLeavesNoEarlierOutput) {
    for (const std::string& blank : {std::string(), std::string("\r\n\x0C\r\r\n\x0C")}) {
        write("old.pdf", "%PDF-1.7 an earlier job");
        write("old-1.png", "earlier");
        write("old-2.png", "earlier");
        write("job.prn", blank);
        Result pdf = run("job.prn -o old.pdf");
        EXPECT_EQ(pdf.status, 0);
        EXPECT_EQ(pdf.err, "marlet-print: nothing to print\n");
        EXPECT_FALSE(fs::exists(folder / "old.pdf"));
        Result png = run("job.prn -o old.png");
        EXPECT_EQ(png.err, "marlet-print: nothing to print\n");
        EXPECT_FALSE(fs::exists(folder / "old-1.png"));
        EXPECT_FALSE(fs::exists(folder / "old-2.png"));
    }
    // A printed job replaces the earlier pages, and leaves none of them behind.
    write("old-2.png", "earlier");
    write("job.prn", "one page");
    EXPECT_EQ(run("job.prn -o old.png --device-dpi 60").status, 0);
    EXPECT_TRUE(fs::exists(folder / "old-1.png"));
    EXPECT_FALSE(fs::exists(folder / "old-2.png"));
}

TEST_F(MarletPrintTest, AStoppedJobKeepsTheEarlierFileAndLeavesNoPartFile) {
    std::string job;
    while (job.size() < 20000000)
        job += "Line " + std::to_string(job.size()) + " of a long report\r\n";
    write("long.prn", job);
    auto parts = [&] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            count += name.starts_with(".old.pdf.") && name.ends_with(".part");
        }
        return count;
    };
    for (int signal : {SIGTERM, SIGINT}) {
        write("old.pdf", "%PDF-1.7 an earlier job");
        marlet::testing::ChildProcess print(MARLET_BINARY_DIR "/marlet-print",
                                            {"--data-dir", MARLET_DATA_DIR,
                                             (folder / "long.prn").string(), "-o",
                                             (folder / "old.pdf").string()});
        ASSERT_TRUE(marlet::testing::waitFor([&] { return parts() == 1; }));
        EXPECT_EQ(read("old.pdf"), "%PDF-1.7 an earlier job") << "kept until the new one is whole";
        kill(print.pid(), signal);
        EXPECT_EQ(print.wait(), -1) << "ended by the signal";
        EXPECT_EQ(parts(), 0) << strsignal(signal);
        EXPECT_EQ(read("old.pdf"), "%PDF-1.7 an earlier job");
    }
}

TEST_F(MarletPrintTest, AJobPastThePageLimitKeepsTheWholePagesBeforeIt) {
    write("five.prn", "page 1\r\n\fpage 2\r\n\fpage 3\r\n\fpage 4\r\n\fpage 5\r\n");
    const std::string stopped =
        "marlet-print: The job went past the page limit of 2 pages and was stopped\n";
    Result pdf = run("five.prn -o out.pdf --set PageLimit=2");
    EXPECT_EQ(pdf.status, 3);
    EXPECT_EQ(pdf.err, stopped);
    EXPECT_EQ(pdfText("out.pdf"), "page 1\n\fpage 2\n\f");

    Result png = run("five.prn -o out.png --device-dpi 60 --set PageLimit=2");
    EXPECT_EQ(png.status, 3);
    EXPECT_EQ(png.err, stopped);
    EXPECT_TRUE(fs::exists(folder / "out-1.png"));
    EXPECT_TRUE(fs::exists(folder / "out-2.png"));
    EXPECT_FALSE(fs::exists(folder / "out-3.png"));
}

TEST_F(MarletPrintTest, AJobStoppedWhileStandardInputStillComesLeavesNoCopyOfIt) {
    // The pipe ends two seconds later; marlet-print is stopped after half of one.
    Result stopped = runProgram("TMPDIR='" + folder.string() +
                                "' sh -c '(sleep 2; echo late) | '\\''" MARLET_BINARY_DIR
                                "/marlet-print'\\'' --data-dir " MARLET_DATA_DIR
                                " - -o out.pdf & sleep 0.5; kill $!; wait'");
    EXPECT_EQ(stopped.err, "");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().starts_with("marlet-stdin-")) << entry.path();
    EXPECT_FALSE(fs::exists(folder / "out.pdf"));
}

TEST_F(MarletPrintTest, NumbersTooBigForTheSheetAreRefusedWithTheirTrueValues) {
    write("job.prn", "text\r\n");
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"-o out.png --dpi 2147483647",
         "--dpi takes at most 100000 dots per inch, not '2147483647'"},
        {"-o out.pdf --device-dpi 2147483648", "--device-dpi takes a positive number, not "
                                               "'2147483648'"},
        {"-o out.pdf --device-dpi 100001",
         "--device-dpi takes at most 100000 dots per inch, not '100001'"},
        {"-o out.png --paper 2147483647x2147483647px --dpi 100000",
         "at 100000 dpi a page would be 357913941167x357913941167 pixels; PNG pages are at most "
         "32767 pixels a side"},
        {"-o out.pdf --unprintable 2147483647,2147483647",
         "--paper A4 is 4960x7016 pixels at 600 dpi: nothing is left to print on inside the "
         "unprintable strips 2147483647,2147483647"},
    };
    for (const Case& c : cases) {
        Result result = run("job.prn " + c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_TRUE(result.err.starts_with("marlet-print: " + c.message + "\n"))
            << c.arguments << ": " << result.err;
    }
    Result margin = run("job.prn -o out.pdf --set LeftMargin=30000");
    EXPECT_EQ(margin.status, 1);
    EXPECT_EQ(margin.err, "marlet-print: The page has no room for a character cell of 50x100 "
                          "pixels: it holds 0 characters by 67 lines\n");
}

TEST_F(MarletPrintTest, ASheetThatCannotHoldACellIsRefused) {
    write("job.prn", "text\r\n");
    Result tiny = run("job.prn -o out.pdf --paper 1x1mm");
    EXPECT_EQ(tiny.status, 2);
    EXPECT_TRUE(tiny.err.starts_with("marlet-print: --paper 1x1mm is 24x24 pixels at 600 dpi: "
                                     "nothing is left to print on inside the unprintable strips "
                                     "100,100\n"))
        << tiny.err;
    Result huge = run("job.prn -o out.png --dpi 100000");
    EXPECT_EQ(huge.status, 2);
    EXPECT_TRUE(huge.err.starts_with("marlet-print: at 100000 dpi a page would be 826667x1169333 "
                                     "pixels; PNG pages are at most 32767 pixels a side\n"))
        << huge.err;
    Result margin = run("job.prn -o out.pdf --set TopMargin=290");
    EXPECT_EQ(margin.status, 1);
    EXPECT_EQ(margin.err, "marlet-print: The page has no room for a character cell of 50x100 "
                          "pixels: it holds 94 characters by 0 lines\n");
    EXPECT_FALSE(fs::exists(folder / "out.pdf"));
}

TEST_F(MarletPrintTest, EveryProgramAnswersVersion) {
    for (const char* program :
         {"marlet-print", "marlet-reg", "marlet", "marlet-capture", "marlet-cups-filter"}) {
        Result version =
            runProgram("'" MARLET_BINARY_DIR "/" + std::string(program) + "' --version");
        EXPECT_EQ(version.status, 0) << program;
        EXPECT_EQ(version.out, std::string(program) + " 0.1\n");
    }
}
