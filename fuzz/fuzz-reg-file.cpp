// A .reg file as `marlet-reg import` takes it, into a store in memory.

#include "base/Error.h"
#include "config/RegFileReader.h"
#include "config/SqliteSettingsStore.h"

using namespace marlet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SqliteSettingsStore store(":memory:");
    try {
        RegFileReader::import(store, {reinterpret_cast<const char*>(data), size}, "fuzz.reg");
    } catch (const Error&) {
        // A refused file is an answer too.
    }
    return 0;
}
