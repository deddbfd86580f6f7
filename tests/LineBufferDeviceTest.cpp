// The dot-matrix line buffer in front of a printer: what it holds prints before the output
// is closed or cancelled.

#include "render/LineBufferDevice.h"
#include "render/TraceDevice.h"
#include "support/FakeDevice.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace marlet;

namespace {

// Notes in the trace where the output was closed or cancelled.
class EndingDevice : public marlet::testing::FakeDevice {
public:
    explicit EndingDevice(std::ostream& out) : m_out(out) {}

    void close() override { m_out << "close\n"; }
    void cancel() override { m_out << "cancel\n"; }

private:
    std::ostream& m_out;
};

} // namespace

TEST(LineBufferDeviceTest, TheHeldLinePrintsBeforeTheOutputIsClosedOrCancelled) {
    struct Case {
        std::string end;
        void (PageDevice::*call)();
    };
    for (const Case& c : {Case{"close", &PageDevice::close}, Case{"cancel", &PageDevice::cancel}}) {
        SCOPED_TRACE(c.end);
        std::ostringstream trace;
        EndingDevice printer(trace);
        TraceDevice traced(printer, trace);
        LineBufferDevice buffer(traced);
        buffer.beginDocument("DOS-console task");
        buffer.textOut(0, 0, u'A');
        buffer.moveTo(0, 60);
        buffer.lineTo(50, 60);
        EXPECT_EQ(trace.str(), "begin_document \"DOS-console task\"\n") << "held for the line";

        (buffer.*c.call)();
        EXPECT_EQ(trace.str(), "begin_document \"DOS-console task\"\n"
                               "text 0 0 U+0041\n"
                               "move_to 0 60\n"
                               "line_to 50 60\n" +
                                   c.end + "\n");
    }
}
