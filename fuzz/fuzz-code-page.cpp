// A code page table file ("866.cp") as start-up and `CodePage` changes load it.

#include "base/Error.h"
#include "charset/CodePageTable.h"

using namespace marlet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CodePageTable table;
    try {
        table.loadText({reinterpret_cast<const char*>(data), size});
    } catch (const Error&) {
        // A refused table is an answer too.
    }
    return 0;
}
