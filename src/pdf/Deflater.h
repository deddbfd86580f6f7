#pragma once

#include <string>
#include <string_view>

struct libdeflate_compressor;

namespace marlet {

/// A Flate compressor for whole buffers, kept by one thread and used for many streams.
class Deflater {
public:
    /// The level every stream of a PDF is compressed at: libdeflate's middle levels give the
    /// most for their time.
    static constexpr int StreamLevel = 6;

    /// A compressor at a zlib-style level (1 fastest … 12 smallest); fails with "Out of memory".
    explicit Deflater(int level);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    /// The bytes as a zlib stream, as /FlateDecode reads them.
    std::string compress(std::string_view data);
    /// The same into out, whose room is kept for the next stream.
    void compress(std::string_view data, std::string& out);

private:
    libdeflate_compressor* m_compressor;
};

} // namespace marlet
