#include "SpooledInput.h"

#include "base/Error.h"
#include "base/UnfinishedFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace marlet {

namespace fs = std::filesystem;

SpooledInput::SpooledInput() {
    // A fresh name of our own: a shared temporary folder may hold anyone's links.
    m_path = (fs::temp_directory_path() / "marlet-stdin-XXXXXX").string();
    int descriptor = mkstemp(m_path.data());
    if (descriptor < 0)
        throw Error::cannotCreate(m_path);
    // Standard input may never end: a run stopped while it waits leaves no copy behind.
    UnfinishedFiles::hold(m_path);
    std::FILE* out = fdopen(descriptor, "wb");
    char buffer[1 << 16];
    bool written = out != nullptr;
    while (written && std::cin.read(buffer, sizeof buffer).gcount() > 0) {
        auto count = static_cast<std::size_t>(std::cin.gcount());
        written = std::fwrite(buffer, 1, count, out) == count;
    }
    if (out ? std::fclose(out) != 0 : close(descriptor) != 0)
        written = false;
    if (!written) {
        std::error_code ignored;
        fs::remove(m_path, ignored);
        UnfinishedFiles::release(m_path);
        throw Error("Cannot write file " + m_path);
    }
}

SpooledInput::~SpooledInput() {
    std::error_code ignored;
    fs::remove(m_path, ignored);
    UnfinishedFiles::release(m_path);
}

} // namespace marlet
