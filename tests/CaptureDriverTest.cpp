// The capture driver on a simulated DOS machine: what reaches the queue file, the port
// and DOS, and when.

#include "capture/driver/CaptureDriver.h"
#include "capture/ControlFrames.h"
#include "support/SimulatedDosMachine.h"

#include <gtest/gtest.h>

using namespace marlet;
using marlet::testing::SimulatedDosMachine;

namespace {

const std::string Queue = "C:\\PRNSPL";
constexpr std::uint32_t Window = 0x00012345;

class CaptureDriverTest : public ::testing::Test {
protected:
    CaptureDriverTest() { EXPECT_EQ(control(control::Open), control::Success); }

    std::uint32_t control(std::uint32_t code) { return driver.deviceControl(code, {}, {}); }

    StateBlock readState() {
        StateBlock state;
        EXPECT_EQ(driver.deviceControl(control::ReadState, {}, state.bytes()), control::Success);
        return state;
    }

    void writeState(const StateBlock& state) {
        EXPECT_EQ(driver.deviceControl(control::WriteState, state.bytes(), {}), control::Success);
    }

    // As the application starts capture: what the driver reported, with the switch on.
    void captureInto(const std::string& path, bool on = true,
                     std::uint32_t window = StateBlock::NoWindow) {
        StateBlock state = readState();
        state.setCapture(on);
        state.setPath(path);
        state.setTranslating(false);
        state.setWindow(window);
        writeState(state);
    }

    void printText(const std::string& text) {
        for (char c : text)
            EXPECT_EQ(dos.printCharacter(static_cast<std::uint8_t>(c)), 0x90);
    }

    bool queueExists() { return dos.files.contains(Queue); }

    SimulatedDosMachine dos;
    CaptureDriver driver{dos};
};

} // namespace

TEST_F(CaptureDriverTest, StateBlockStartsWithTheDriversValues) {
    StateBlock state = readState();
    EXPECT_EQ(state.bytes()[0], 0);
    EXPECT_EQ(state.path(), "");
    EXPECT_EQ(state.bytes()[52], 0);
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(state.bytes()[53 + b], b) << "identity table once started";
    EXPECT_EQ(std::string(state.bytes().begin() + 309, state.bytes().begin() + 321),
              "TAHWEVOL..SI");
}

TEST_F(CaptureDriverTest, DeviceControlRefusesOtherCodesAndOtherSizes) {
    StateBlock state;
    std::array<std::uint8_t, 320> shortBlock{};
    EXPECT_EQ(driver.deviceControl(3, state.bytes(), state.bytes()), 0xFFFFFFFFu);
    EXPECT_EQ(driver.deviceControl(0x1992, state.bytes(), state.bytes()), 0xFFFFFFFFu);
    EXPECT_EQ(driver.deviceControl(control::ReadState, {}, shortBlock), 0xFFFFFFFFu);
    EXPECT_EQ(driver.deviceControl(control::WriteState, shortBlock, {}), 0xFFFFFFFFu);
}

TEST_F(CaptureDriverTest, OpensAndClosesStartAndStopTheHooks) {
    EXPECT_TRUE(dos.hooked(0x17));
    EXPECT_TRUE(dos.hooked(0x21));
    EXPECT_TRUE(dos.timerRunning());
    control(control::Open);
    control(control::Close);
    EXPECT_TRUE(driver.started()) << "one handle is still open";
    control(control::Close);
    EXPECT_FALSE(driver.started());
    EXPECT_FALSE(dos.hooked(0x17));
    EXPECT_FALSE(dos.hooked(0x21));
    EXPECT_FALSE(dos.timerRunning());
}

TEST_F(CaptureDriverTest, BiosPrinterAnswersReadyWhateverThePrinterSays) {
    captureInto(Queue);
    dos.printerStatus = 0x28; // out of paper, I/O error
    EXPECT_EQ(dos.biosPrinter(0x02), 0x90);
    EXPECT_EQ(dos.biosPrinter(0x01), 0x90);
    EXPECT_EQ(dos.printCharacter('A'), 0x90);
    EXPECT_EQ(dos.printed, "") << "the BIOS is never called";
    EXPECT_EQ(driver.count(), 1u);
}

TEST_F(CaptureDriverTest, BiosOutputWaitsForTwoQuietTicks) {
    captureInto(Queue);
    printText("Line\r\n");
    dos.tick();
    EXPECT_FALSE(queueExists());
    printText("\x0C");
    dos.tick();
    EXPECT_FALSE(queueExists()) << "a byte since the last tick starts the quiet time again";
    dos.tick();
    EXPECT_EQ(dos.files[Queue], "Line\r\n\x0C");
    EXPECT_EQ(driver.count(), 0u);
}

TEST_F(CaptureDriverTest, TheByteAfter7904WritesAllAtOnce) {
    captureInto(Queue);
    std::string burst(7904, 'x');
    printText(burst);
    EXPECT_FALSE(queueExists());
    EXPECT_EQ(driver.count(), 7904u);
    printText("y");
    EXPECT_EQ(dos.files[Queue], burst + "y");
    EXPECT_EQ(driver.count(), 0u);
}

TEST_F(CaptureDriverTest, AFullBufferAnswersTimeOutAndKeepsTheByteWithTheProgram) {
    captureInto(Queue);
    dos.opensFail = true;
    std::string bytes;
    for (std::size_t i = 0; i < CaptureDriver::BufferSize; ++i)
        bytes += static_cast<char>('a' + i % 26);
    printText(bytes);
    EXPECT_EQ(dos.printCharacter('!'), 0x01);
    EXPECT_EQ(driver.count(), CaptureDriver::BufferSize);
    dos.opensFail = false;
    dos.tick();
    dos.tick();
    EXPECT_EQ(dos.files[Queue], bytes);
    EXPECT_EQ(dos.printCharacter('!'), 0x90) << "room again";
}

TEST_F(CaptureDriverTest, AFailedAppendKeepsTheBytesForTheNextTick) {
    captureInto(Queue);
    printText("abc");
    dos.opensFail = true;
    dos.tick();
    dos.tick();
    dos.tick();
    EXPECT_EQ(driver.count(), 3u);
    dos.opensFail = false;
    dos.tick();
    EXPECT_EQ(dos.files[Queue], "abc");
}

TEST_F(CaptureDriverTest, DosWriteLandsAtOnceAndOneLineEndFollowsTheLastWrite) {
    captureInto(Queue);
    DosRegisters opened = dos.openFile("PRN");
    EXPECT_FALSE(opened.carry);
    EXPECT_EQ(opened.ax, SimulatedDosMachine::PrinterHandleDos);
    EXPECT_EQ(dos.dosOpens, std::vector<std::string>{"PRN"}) << "DOS opened it itself";

    DosRegisters wrote = dos.writeFile(opened.ax, "ABC");
    EXPECT_EQ(wrote.ax, 3);
    EXPECT_FALSE(wrote.carry);
    EXPECT_EQ(dos.files[Queue], "ABC");
    dos.tick();
    EXPECT_EQ(dos.files[Queue], "ABC");
    dos.writeFile(opened.ax, "DEF");
    EXPECT_EQ(dos.files[Queue], "ABCDEF");
    dos.tick();
    dos.tick();
    EXPECT_EQ(dos.files[Queue], "ABCDEF\r\n");
    dos.tick();
    dos.tick();
    EXPECT_EQ(dos.files[Queue], "ABCDEF\r\n");
    EXPECT_TRUE(dos.dosWrites.empty());
}

TEST_F(CaptureDriverTest, BiosBytesWaitingWhenADosWriteComesGoFirst) {
    captureInto(Queue);
    std::uint16_t handle = dos.openFile("LPT1", 0x3C).ax;
    printText("xy");
    dos.writeFile(handle, "ABC");
    EXPECT_EQ(dos.files[Queue], "xyABC");
    dos.tick();
    dos.tick();
    EXPECT_EQ(dos.files[Queue], "xyABC\r\n");
}

TEST_F(CaptureDriverTest, LowerCaseNamesAndOtherFilesReachDos) {
    captureInto(Queue);
    std::uint16_t lower = dos.openFile("prn").ax;
    dos.writeFile(lower, "ABC");
    dos.openFile("REPORT.TXT");
    EXPECT_EQ(dos.dosWrites[lower], "ABC");
    EXPECT_FALSE(queueExists());
}

TEST_F(CaptureDriverTest, OnlyASuccessfulOpenBecomesThePrinterHandle) {
    captureInto(Queue);
    dos.dosRefusesOpen = true;
    DosRegisters refused = dos.openFile("PRN");
    EXPECT_TRUE(refused.carry);
    EXPECT_EQ(refused.ax, 2);
    dos.writeFile(2, "to file handle 2");
    EXPECT_EQ(dos.dosWrites[2], "to file handle 2");
    EXPECT_FALSE(queueExists());
}

TEST_F(CaptureDriverTest, ClosingThePrinterHandleEndsItsCapture) {
    captureInto(Queue);
    std::uint16_t handle = dos.openFile("PRN").ax;
    dos.closeFile(handle);
    dos.writeFile(handle, "later");
    EXPECT_EQ(dos.dosWrites[handle], "later");
    EXPECT_FALSE(queueExists());
}

TEST_F(CaptureDriverTest, CaptureOffPassesBytesUnchangedOrTranslated) {
    captureInto(Queue, false);
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    for (char c : all)
        dos.printCharacter(static_cast<std::uint8_t>(c));
    std::uint16_t handle = dos.openFile("PRN").ax;
    dos.writeFile(handle, "ABC");
    EXPECT_EQ(dos.printed, all);
    EXPECT_EQ(dos.dosWrites[handle], "ABC");

    StateBlock state = readState();
    state.setTranslating(true);
    state.bytes()[StateBlock::TableOffset + 'A'] = 'a';
    state.bytes()[StateBlock::TableOffset + 0xB0] = '#';
    writeState(state);
    dos.printed.clear();
    dos.printCharacter('A');
    dos.printCharacter(0xB0);
    dos.printCharacter('B');
    dos.writeFile(handle, "AB");
    EXPECT_EQ(dos.printed, "a#B");
    EXPECT_EQ(dos.dosWrites[handle], "ABCaB");
    EXPECT_FALSE(queueExists());
}

TEST_F(CaptureDriverTest, OnlyTimedWritesNotifyTheWindow) {
    captureInto(Queue, true, Window);
    printText(std::string(7905, 'x'));
    std::uint16_t handle = dos.openFile("PRN").ax;
    dos.writeFile(handle, "ABC");
    EXPECT_TRUE(dos.posted.empty());
    dos.tick();
    dos.tick();
    ASSERT_EQ(dos.posted.size(), 1u);
    EXPECT_EQ(dos.posted[0], std::make_tuple(Window, 0x1992u, 0x49532E2Eu, 0x4C4F5645u));

    captureInto(Queue, true, StateBlock::NoWindow);
    printText("z");
    dos.tick();
    dos.tick();
    EXPECT_EQ(dos.files[Queue].back(), 'z');
    EXPECT_EQ(dos.posted.size(), 1u) << "no window to tell";
}

TEST_F(CaptureDriverTest, TheLastCloseWritesWhatIsStillWaiting) {
    captureInto(Queue);
    printText("held");
    control(control::Close);
    EXPECT_EQ(dos.files[Queue], "held");
}

TEST_F(CaptureDriverTest, ThreeHundredOpenHandlesNeitherRestartNorStopTheDriver) {
    captureInto(Queue);
    printText("buffered");
    // The count once wrapped at 256: the 257th open started the driver again and dropped
    // the buffer, and the closes then stopped it under a connected client.
    for (int open = 1; open < 300; ++open)
        ASSERT_EQ(control(control::Open), control::Success);
    EXPECT_EQ(driver.count(), 8u);
    for (int close = 1; close < 300; ++close)
        control(control::Close);
    EXPECT_TRUE(driver.started());
    EXPECT_FALSE(queueExists());
    control(control::Close);
    EXPECT_FALSE(driver.started());
    EXPECT_EQ(dos.files[Queue], "buffered");
}

TEST_F(CaptureDriverTest, TheHeldCountTellsWhetherAJobIsStillInTheBuffer) {
    auto held = [this] {
        std::array<std::uint8_t, 4> count{};
        EXPECT_EQ(driver.deviceControl(control::ReadHeld, {}, count), control::Success);
        return control::readNumber(count.data());
    };
    captureInto(Queue);
    EXPECT_EQ(held(), 0u);
    printText("tail of the line");
    EXPECT_EQ(held(), 16u);
    dos.tick();
    dos.tick();
    EXPECT_EQ(held(), 0u);
    EXPECT_EQ(dos.files[Queue], "tail of the line");
    std::array<std::uint8_t, 3> small{};
    EXPECT_EQ(driver.deviceControl(control::ReadHeld, {}, small), control::Failure);
}
