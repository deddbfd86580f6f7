#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace marlet {

/// A language file: lines of key, "=", text. The key is what comes before the first "=",
/// matched without regard to case; the text is the rest of the line exactly as written.
/// The first line of a key wins; lines without "=" are ignored.
class LanguageFile {
public:
    LanguageFile() = default;

    /// Reads a file in UTF-8 or Windows-1251. Fails with "Cannot open file NAME".
    static LanguageFile load(const std::string& fileName);
    /// Parses file content already decoded to UTF-8; lines end with CR, LF or CR LF.
    static LanguageFile parse(std::string_view text);
    /// The text of a file's bytes as UTF-8: they are UTF-8 (a byte order mark is dropped)
    /// or, when not valid UTF-8, Windows-1251 as a Russian Windows host writes them.
    static std::string decode(std::string_view bytes);

    /// The key's text, or nothing when the file lacks the key.
    std::optional<std::string> find(std::string_view key) const;
    /// The key's text; empty when the file lacks the key.
    std::string text(std::string_view key) const;

private:
    std::map<std::string, std::string> m_texts; // by key folded to lower case
};

} // namespace marlet
