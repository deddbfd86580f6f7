// Known pictures sent in each printer language's image commands come back dot for dot from
// marlet-print's pages, and a barcode reader reads them from its PDF.

#include "support/PrinterEncoders.h"
#include "support/ShellCommand.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace marlet;
using namespace marlet::testing;

namespace {

const std::string Esc = "\x1B";

struct Placed {
    int left = 0, top = 0, right = 0, bottom = 0;
};

std::string output(const std::string& command) {
    return marlet::testing::runShell(command).out;
}

BitImage ruledLeft(const BitImage& picture) {
    BitImage out(picture.width() + 1, picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        out.setDot(0, y);
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.dot(x, y))
                out.setDot(x + 1, y);
        }
    }
    return out;
}

class GraphicsRoundTripTest : public ::testing::Test {
protected:
    // The ready-made scheme of a language, imported into a registry of its own.
    std::string registryFor(const std::string& file, const std::string& scheme) {
        const std::string registry = folder.file(file + ".db");
        const std::string reg = "'" MARLET_BINARY_DIR "/marlet-reg' --registry '" + registry + "' ";
        EXPECT_EQ(
            std::system((reg + "import '" MARLET_DATA_DIR "/schemes/" + file + ".reg'").c_str()),
            0);
        EXPECT_EQ(std::system((reg + "set . Sequence '" + scheme + "'").c_str()), 0);
        return registry;
    }

    // Prints the bytes; returns the images the trace placed.
    std::vector<Placed> print(const std::string& registry, const std::string& bytes,
                              const std::string& out, int dpi,
                              const std::string& paper = "2000x2700px") {
        std::ofstream(folder.file("job.prn"), std::ios::binary) << bytes;
        const std::string command =
            "'" MARLET_BINARY_DIR "/marlet-print' --data-dir '" MARLET_DATA_DIR "' --registry '" +
            registry + "' --device-dpi " + std::to_string(dpi) + " --paper " + paper +
            " --unprintable 0,0 --trace '" + folder.file("trace.txt") + "' -o '" +
            folder.file(out) + "' '" + folder.file("job.prn") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::vector<Placed> placed;
        std::ifstream trace(folder.file("trace.txt"));
        std::string kind;
        std::string line;
        while (std::getline(trace, line)) {
            std::istringstream parts(line);
            Placed image;
            if (parts >> kind && kind == "image" &&
                parts >> image.left >> image.top >> image.right >> image.bottom)
                placed.push_back(image);
        }
        return placed;
    }

    // Every dot of the picture, read back from the page: each a block of dotWidth by
    // dotHeight pixels, all black or all white.
    void expectDots(const BitImage& picture, const std::string& png, int left, int top,
                    int dotWidth, int dotHeight, const std::string& what) {
        QImage page(QString::fromStdString(folder.file(png)));
        ASSERT_FALSE(page.isNull()) << what;
        page = page.convertToFormat(QImage::Format_Grayscale8);
        int wrong = 0;
        for (int y = 0; y < picture.height() && wrong < 5; ++y) {
            for (int x = 0; x < picture.width() && wrong < 5; ++x) {
                const int expected = picture.dot(x, y) ? 0 : 255;
                for (int py = 0; py < dotHeight; ++py) {
                    const uchar* line = page.constScanLine(top + y * dotHeight + py);
                    for (int px = 0; px < dotWidth; ++px) {
                        if (line[left + x * dotWidth + px] != expected) {
                            ADD_FAILURE() << what << ": dot " << x << "," << y << " pixel " << px
                                          << "," << py;
                            ++wrong;
                            px = dotWidth, py = dotHeight;
                        }
                    }
                }
            }
        }
    }

    // Stripes follow one another with no gap and no overlap, all at the same column.
    static void expectAbutting(const std::vector<Placed>& placed, const std::string& what) {
        for (std::size_t i = 1; i < placed.size(); ++i) {
            EXPECT_EQ(placed[i].top, placed[i - 1].bottom) << what << " stripe " << i;
            EXPECT_EQ(placed[i].left, placed[0].left) << what << " stripe " << i;
        }
    }

    TempFolder folder;
    // The QR code, a Code 128 barcode and a dithered photo, stacked, with a rule down the
    // left so that no stripe is blank: a blank one draws nothing to find it by.
    BitImage pictures = ruledLeft(
        stacked({qrCode("Marlet 17", 2), code128("MARLET-17", 1, 40), ditheredPhoto(160, 90)}));
};

} // namespace

TEST_F(GraphicsRoundTripTest, EveryColumnModeOfEscPGivesBackItsDots) {
    struct Mode {
        std::string command;
        int pins;
        int dotsPerInchX;
    };
    // 720 dpi holds a whole number of pixels for every density.
    const std::vector<Mode> modes = {
        {Esc + "K", 8, 60},      {Esc + "L", 8, 120},     {Esc + "Y", 8, 120},
        {Esc + "Z", 8, 240},     {Esc + "*\x00", 8, 60},  {Esc + "*\x01", 8, 120},
        {Esc + "*\x02", 8, 120}, {Esc + "*\x03", 8, 240}, {Esc + "*\x04", 8, 80},
        {Esc + "*\x05", 8, 72},  {Esc + "*\x06", 8, 90},  {Esc + "*\x07", 8, 144},
        {Esc + "* ", 24, 60},    {Esc + "*!", 24, 120},   {Esc + "*&", 24, 90},
        {Esc + "*'", 24, 180},   {Esc + "*(", 24, 360},   {Esc + "^\x00", 9, 60},
        {Esc + "^\x01", 9, 120}};
    const std::string nine = registryFor("epson-escp-9pin", "Epson ESC-P 9-pin");
    const std::string twentyFour = registryFor("epson-escp2-24pin", "Epson ESC-P2 24-pin");
    for (const Mode& mode : modes) {
        for (bool escp2 : {false, true}) {
            // 24-dot stripes cannot be stacked in 1/216 inch: 9-pin printers have no such mode.
            if (!escp2 && mode.pins == 24)
                continue;
            // ESC * with a mode byte of 0 is three bytes; the literals above hold it.
            std::string command = mode.command;
            if (command.size() == 2 && (command[1] == '*' || command[1] == '^'))
                command += '\0';
            const int unit = escp2 ? 180 : 216;
            const int dotsPerInchY = mode.pins == 24 ? 180 : escp2 ? 60 : 72;
            const int spacing = unit * mode.pins / dotsPerInchY;
            const std::string what = (escp2 ? "ESC/P2 " : "ESC/P ") +
                                     std::to_string(static_cast<unsigned char>(command[1])) + " " +
                                     std::to_string(mode.dotsPerInchX) + " dpi";
            std::vector<Placed> placed = print(escp2 ? twentyFour : nine,
                                               "Logo\r\n" + Esc + "3" + static_cast<char>(spacing) +
                                                   columnStripes(pictures, command, mode.pins),
                                               "page.png", 720);
            ASSERT_EQ(placed.size(),
                      static_cast<std::size_t>((pictures.height() + mode.pins - 1) / mode.pins))
                << what;
            expectAbutting(placed, what);
            expectDots(pictures, "page-1.png", placed[0].left, placed[0].top,
                       720 / mode.dotsPerInchX, 720 / dotsPerInchY, what);
        }
    }
}

TEST_F(GraphicsRoundTripTest, ProprinterAndPclRasterGiveBackTheirDots) {
    const std::string proprinter = registryFor("ibm-proprinter", "IBM Proprinter");
    for (auto [letter, dotsPerInchX] : {std::pair{'K', 60}, {'L', 120}, {'Y', 120}, {'Z', 240}}) {
        const std::string what = std::string("Proprinter ESC ") + letter;
        std::vector<Placed> placed = print(
            proprinter, Esc + "3\x18" + columnStripes(pictures, Esc + letter, 8), "page.png", 720);
        ASSERT_FALSE(placed.empty()) << what;
        expectAbutting(placed, what);
        expectDots(pictures, "page-1.png", placed[0].left, placed[0].top, 720 / dotsPerInchX, 10,
                   what);
    }
    const std::string pcl = registryFor("hp-pcl", "HP PCL");
    for (auto [mode, resolution] : {std::pair{0, 75}, {1, 150}, {2, 300}, {3, 600}, {3, 100}}) {
        const std::string what = "PCL mode " + std::to_string(mode);
        std::vector<Placed> placed =
            print(pcl, "Logo\r\n" + pclRaster(pictures, resolution, mode), "page.png", 600);
        ASSERT_EQ(placed.size(), 1u) << what;
        expectDots(pictures, "page-1.png", placed[0].left, placed[0].top, 600 / resolution,
                   600 / resolution, what);
    }
}

TEST_F(GraphicsRoundTripTest, ABarcodeReaderReadsThePicturesFromThePdf) {
    const std::string registry = registryFor("epson-escp2-24pin", "Epson ESC-P2 24-pin");
    const BitImage codes =
        stacked({qrCode("Marlet 17", 4), BitImage(8, 24), code128("MARLET-17", 2, 72)});
    print(registry,
          "Invoice 1452\r\n" + Esc + "3\x18" + columnStripes(codes, Esc + "*'", 24) + "Total\r\n",
          "codes.pdf", 600);
    const std::string pdf = folder.file("codes.pdf");
    output("pdftoppm -r 300 -png '" + pdf + "' '" + folder.file("codes") + "'");
    const std::string read = output("zbarimg -q '" + folder.file("codes-1.png") + "' 2>/dev/null");
    EXPECT_NE(read.find("QR-Code:Marlet 17"), std::string::npos) << read;
    EXPECT_NE(read.find("CODE-128:MARLET-17"), std::string::npos) << read;
    // The text stays text around the pictures.
    const std::string text = output("pdftotext '" + pdf + "' -");
    EXPECT_NE(text.find("Invoice 1452"), std::string::npos) << text;
    EXPECT_NE(text.find("Total"), std::string::npos) << text;
}

TEST_F(GraphicsRoundTripTest, TheInvoiceExampleIsTextWithALogoAndABarcode) {
    const std::string registry = registryFor("epson-escp-9pin", "Epson ESC-P 9-pin");
    std::ifstream example(MARLET_SOURCE_DIR "/examples/invoice-pictures.prn", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(example)), {});
    const std::vector<Placed> placed = print(registry, bytes, "invoice.pdf", 600, "A4");
    // Six 8-dot stripes of logo, five of barcode, each stripe abutting the one before.
    ASSERT_EQ(placed.size(), 11u);
    expectAbutting({placed.begin(), placed.begin() + 6}, "logo");
    expectAbutting({placed.begin() + 6, placed.end()}, "barcode");
    const std::string pdf = folder.file("invoice.pdf");
    const std::string text = output("pdftotext '" + pdf + "' -");
    EXPECT_NE(text.find("СЧЕТ-ФАКТУРА № 1452"), std::string::npos) << text;
    output("pdftoppm -r 300 -png '" + pdf + "' '" + folder.file("invoice") + "'");
    EXPECT_EQ(output("zbarimg -q '" + folder.file("invoice-1.png") + "' 2>/dev/null"),
              "CODE-128:1452-14031997\n");
}

TEST_F(GraphicsRoundTripTest, APageOfGraphicsStaysSmallInThePdf) {
    // Eight inches by ten of 24-pin stripes at 180 dpi: codes, labels and photos side by
    // side, as a label or catalogue program prints them.
    const BitImage tile =
        stacked({qrCode("Marlet 17", 4), code128("MARLET-17", 2, 48), ditheredPhoto(240, 120)});
    BitImage page(1440, 1800);
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (tile.dot(x % 360 < tile.width() ? x % 360 : 0, y % tile.height()) &&
                x % 360 < tile.width())
                page.setDot(x, y);
        }
    }
    const std::string registry = registryFor("epson-escp2-24pin", "Epson ESC-P2 24-pin");
    const std::vector<Placed> placed =
        print(registry, Esc + "3\x18" + columnStripes(page, Esc + "*'", 24), "page.pdf", 600, "A4");
    EXPECT_EQ(placed.size(), 75u);
    const auto size = std::filesystem::file_size(folder.file("page.pdf"));
    EXPECT_LT(size, 40u * 1024) << size;
    EXPECT_EQ(output("qpdf --check '" + folder.file("page.pdf") + "' >/dev/null 2>&1; echo $?"),
              "0\n");
}
