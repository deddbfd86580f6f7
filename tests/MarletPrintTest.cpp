// marlet-print as a user runs it: the binary, its files and its exit status.

#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class MarletPrintTest : public ::testing::Test {
protected:
    MarletPrintTest() {
        folder = fs::temp_directory_path() /
                 ("marlet-print-test-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    ~MarletPrintTest() override { fs::remove_all(folder); }

    // Runs marlet-print in the test folder with the shipped data; stdin from a file.
    Result run(const std::string& arguments, const std::string& input = "",
               const std::string& environment = "") {
        std::ofstream(folder / "stdin", std::ios::binary) << input;
        std::string command =
            "cd '" + folder.string() + "' && HOME='" + folder.string() + "' " + environment +
            " '" MARLET_BINARY_DIR "/marlet-print' --data-dir '" MARLET_DATA_DIR "' " + arguments +
            " <stdin >stdout 2>stderr";
        Result result;
        int status = std::system(command.c_str());
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = read("stdout");
        result.err = read("stderr");
        return result;
    }

    std::string read(const std::string& name) {
        std::ifstream in(folder / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    std::string pdfText(const std::string& name) {
        std::string command = "pdftotext -layout '" + (folder / name).string() + "' -";
        std::string text;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            std::array<char, 4096> chunk;
            while (std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe))
                text.append(chunk.data(), got);
            pclose(pipe);
        }
        return text;
    }

    fs::path folder;
};

} // namespace

TEST_F(MarletPrintTest, GeometryOfTheDefaultSettings) {
    Result result = run("--geometry --dpi 600 --paper 4960x7016px --unprintable 100,100");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "origin=-6,-6 cell=50x100 line=100 chars=94 lines=67 monospace=1\n");
    EXPECT_EQ(result.err, "");

    // Landscape on a 300 dpi Letter sheet with a 5 mm left margin and a proportional face.
    result = run("--geometry --dpi 300 --paper Letter --unprintable 50,60 --set Orientation=1 "
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

TEST_F(MarletPrintTest, StandardInputInAndPdfOut) {
    Result result = run("- -o -", "Hello from DOS\r\n\x8F\xE0\xA8\xA2\xA5\xE2\x0C");
    ASSERT_EQ(result.status, 0) << result.err;
    ASSERT_EQ(result.out.rfind("%PDF-", 0), 0u);
    write("out.pdf", result.out);
    std::string text = pdfText("out.pdf");
    EXPECT_NE(text.find("Hello from DOS"), std::string::npos);
    EXPECT_NE(text.find("Привет"), std::string::npos);

    // An empty stream starts no document: no file, and no error either.
    Result empty = run("- -o empty.pdf", "");
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.err, "");
    EXPECT_FALSE(fs::exists(folder / "empty.pdf"));
}

TEST_F(MarletPrintTest, AFramedBoxHasJoinedCornersOnThePage) {
    // ╔═╗ / ║ ║ / ╚═╝ at 100 dpi: cell 8 x 17, gap 1, pen 0 (one pixel).
    write("box.prn", "\xC9\xCD\xBB\r\n\xBA \xBA\r\n\xC8\xCD\xBC\r\n");
    Result result = run("box.prn -o box.png --dpi 100 --paper 300x300px --unprintable 0,0 "
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
    EXPECT_EQ(missing.err, "Cannot open file " + (folder / "no-such.prn").string() + "\n");
    EXPECT_FALSE(fs::exists(folder / "out.pdf"));

    Result badCodePage = run("--geometry --set CodePage=none");
    EXPECT_EQ(badCodePage.status, 1);
    EXPECT_EQ(badCodePage.err, "Cannot open file none.cp\n");

    Result badNumber = run("--geometry --set FontSize=big");
    EXPECT_EQ(badNumber.status, 1);
    EXPECT_EQ(badNumber.err, "'big' is not a valid integer value\n");

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
    EXPECT_EQ(result.err, "Invalid data type for 'TopMargin'\n");
    result = run("--geometry --set LeftMargin=0", "", "MARLET_REGISTRY=registry.db");
    EXPECT_EQ(result.out, "origin=-100,-6 cell=50x100 line=100 chars=96 lines=67 monospace=1\n");
}

TEST_F(MarletPrintTest, AnEpsonStreamPrintsWithTheEpsonSchemeAndNoEscapeShows) {
    // A data folder of our own: the shipped tables, and the Epson drop list as unused.seq.
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
    // Bold, 20 cpi condensed, double width, elite and italic fonts were made.
    EXPECT_NE(trace.find("width=50 escapement=0 orientation=0 weight=700"), std::string::npos);
    EXPECT_NE(trace.find("height=100 width=30 "), std::string::npos);
    EXPECT_NE(trace.find("height=100 width=100 "), std::string::npos);
    EXPECT_NE(trace.find("weight=0 italic=1 underline=0"), std::string::npos);
    EXPECT_NE(trace.find("weight=0 italic=0 underline=1"), std::string::npos);
}
