// An interface language file ("Русский.lng"), UTF-8 or Windows-1251.

#include "base/Error.h"
#include "config/LanguageFile.h"

using namespace marlet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        LanguageFile::parse({reinterpret_cast<const char*>(data), size});
    } catch (const Error&) {
        // A refused file is an answer too.
    }
    return 0;
}
