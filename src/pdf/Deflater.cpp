#include "Deflater.h"

#include "base/Error.h"

#include <libdeflate.h>

namespace marlet {

Deflater::Deflater(int level) : m_compressor(libdeflate_alloc_compressor(level)) {
    if (!m_compressor)
        throw Error("Out of memory");
}

Deflater::~Deflater() {
    libdeflate_free_compressor(m_compressor);
}

std::string Deflater::compress(std::string_view data) {
    std::string out;
    compress(data, out);
    return out;
}

void Deflater::compress(std::string_view data, std::string& out) {
    out.resize(libdeflate_zlib_compress_bound(m_compressor, data.size()));
    // The bound always fits, so a zero size cannot mean a full buffer.
    out.resize(
        libdeflate_zlib_compress(m_compressor, data.data(), data.size(), out.data(), out.size()));
}

} // namespace marlet
