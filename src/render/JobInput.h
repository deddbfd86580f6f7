#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace marlet {

/// The bytes of one job: the initialisation string, then the file. The file's size is
/// taken once when it is opened; bytes appended while the job runs are not part of it.
class JobInput {
public:
    /// Opens the file for reading; fails with "Cannot open file NAME".
    JobInput(const std::string& path, std::string initString);
    /// Reads bytes held in memory as the job's file, without an initialisation string;
    /// fails with "Range check error" past 4 GiB.
    explicit JobInput(std::string_view bytes);

    std::uint32_t fileSize() const { return m_fileSize; }
    std::uint32_t fileRemaining() const { return m_fileRemaining; }
    std::uint16_t initRemaining() const { return m_initRemaining; }

    /// Whether a byte remains in either source.
    bool hasNext() const { return m_initRemaining > 0 || m_fileRemaining > 0; }
    /// The next byte: from the initialisation string while any of it remains, else from the
    /// file. The caller checks that a byte remains.
    std::uint8_t next() {
        // Every byte of a job comes through here: the buffered file byte is taken inline.
        if (m_initRemaining == 0 && m_bufferPos < m_buffer.size()) {
            --m_fileRemaining;
            return m_buffer[m_bufferPos++];
        }
        return nextUnbuffered();
    }

    /// Up to max bytes that follow, without taking them: the rest of the initialisation
    /// string while any remains, else the file's next bytes; never past a source's end.
    std::string_view following(std::size_t max);
    /// Takes count bytes of the source that following() looked at.
    void skip(std::size_t count);
    /// Up to max bytes that follow across both sources (the rest of the initialisation
    /// string, then the file), without taking them: a command begun in the one may end in
    /// the other. Valid until the input is next used.
    std::string_view ahead(std::size_t max);
    /// Takes count bytes that ahead() looked at, from either source.
    void take(std::size_t count);
    /// Whether the file holds the byte anywhere, whatever has been read of it.
    bool fileHolds(std::uint8_t byte) const;

private:
    std::uint8_t nextUnbuffered();
    void fill(std::size_t wanted);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::string m_initString;
    std::uint32_t m_fileSize = 0;
    std::uint32_t m_fileRemaining = 0;
    std::uint16_t m_initRemaining = 0;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_bufferPos = 0;
    std::string m_ahead;
};

} // namespace marlet
