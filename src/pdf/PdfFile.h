#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace marlet {

/// The object layer of a PDF file: numbered objects written in turn, their offsets kept
/// for the cross-reference table at the end.
class PdfFile {
public:
    /// Writes the header to out; the caller keeps the stream open until finish().
    explicit PdfFile(std::FILE* out);

    /// A new object number, written later with object() or stream(); any thread may ask.
    int reserve() { return m_nextNumber.fetch_add(1); }
    /// Writes "N 0 obj BODY endobj".
    void object(int number, std::string_view body);
    /// Writes a stream object; extraEntries go into its dictionary besides /Length.
    void stream(int number, std::string_view extraEntries, std::string_view data);
    /// Writes the cross-reference table and trailer; fails with "Cannot write file".
    void finish(int catalog, int info);

    /// Whether every write so far reached the stream.
    bool good() const { return m_good; }

private:
    void write(std::string_view bytes);

    std::FILE* m_out;
    std::uint64_t m_offset = 0;
    std::vector<std::uint64_t> m_offsets{0};
    std::atomic<int> m_nextNumber{1};
    bool m_good = true;
};

/// Flate-compresses bytes at the given level, with a compressor of its own.
std::string deflateBytes(std::string_view data, int level);

} // namespace marlet
