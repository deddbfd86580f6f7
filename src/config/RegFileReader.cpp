#include "RegFileReader.h"

#include "KeyPath.h"
#include "UnicodeText.h"
#include "base/Error.h"

#include <cstdio>
#include <optional>

namespace marlet {

namespace {

constexpr std::u32string_view Version5Header = U"Windows Registry Editor Version 5.00";
constexpr std::u32string_view Regedit4Header = U"REGEDIT4";

bool isBlank(char32_t c) {
    return c == U' ' || c == U'\t';
}
bool isLineEnd(char32_t c) {
    return c == U'\r' || c == U'\n';
}

int hexDigit(char32_t c) {
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a' + 10);
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A' + 10);
    return -1;
}

bool equalsIgnoringCase(std::u32string_view a, std::u32string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char32_t x = a[i] >= U'a' && a[i] <= U'z' ? a[i] - 0x20 : a[i];
        char32_t y = b[i] >= U'a' && b[i] <= U'z' ? b[i] - 0x20 : b[i];
        if (x != y)
            return false;
    }
    return true;
}

class Parser {
public:
    Parser(std::string_view bytes, const std::string& fileName) : m_fileName(fileName) {
        decode(bytes);
    }

    std::vector<RegChange> run() {
        readHeader();
        while (!atEnd()) {
            skipBlanks();
            if (atEnd())
                break;
            if (isLineEnd(peek())) {
                skipLineEnd();
                continue;
            }
            m_entryLine = m_line;
            if (peek() == U';')
                skipToLineEnd();
            else if (peek() == U'[')
                readKeyLine();
            else if (peek() == U'"' || peek() == U'@')
                readValueLine();
            else
                throw malformed();
        }
        return std::move(m_changes);
    }

private:
    // Reading the file.

    void decode(std::string_view bytes) {
        if (bytes.starts_with("\xFF\xFE")) {
            m_text = decodeUtf16le(bytes.substr(2));
            m_unicode = true;
            return;
        }
        bool bom = bytes.starts_with("\xEF\xBB\xBF");
        if (bom)
            bytes.remove_prefix(3);
        std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
        if (bom || firstLine.starts_with("Windows Registry Editor Version 5.00")) {
            decodeUtf8Lines(bytes);
            m_unicode = true;
            return;
        }
        m_text.assign(bytes.begin(), bytes.end());
        for (char32_t& c : m_text)
            c &= 0xFF;
    }

    void decodeUtf8Lines(std::string_view bytes) {
        int line = 1;
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            end = end == std::string_view::npos ? bytes.size() : end + 1;
            std::optional<std::u32string> text = decodeUtf8(bytes.substr(start, end - start));
            if (!text)
                throw Error("Malformed line " + std::to_string(line) + " in " + m_fileName);
            m_text += *text;
            start = end;
            ++line;
        }
    }

    void readHeader() {
        m_entryLine = 1;
        std::size_t end = m_text.find_first_of(U"\r\n");
        std::u32string_view header(m_text);
        header = header.substr(0, end);
        while (!header.empty() && isBlank(header.back()))
            header.remove_suffix(1);
        if (header != Version5Header && header != Regedit4Header)
            throw malformed();
        skipToLineEnd();
    }

    // Entries.

    void readKeyLine() {
        get(); // '['
        std::u32string line;
        while (!atEnd() && !isLineEnd(peek()))
            line.push_back(get());
        while (!line.empty() && isBlank(line.back()))
            line.pop_back();
        if (line.empty() || line.back() != U']')
            throw malformed();
        line.pop_back();
        bool remove = !line.empty() && line.front() == U'-';
        if (remove)
            line.erase(0, 1);

        std::size_t slash = line.find(U'\\');
        std::u32string_view root = std::u32string_view(line).substr(0, slash);
        if (root.empty())
            throw malformed();
        if (!equalsIgnoringCase(root, U"HKEY_LOCAL_MACHINE") && !equalsIgnoringCase(root, U"HKLM"))
            throw failure("Unsupported key on line ");
        std::u32string path = slash == std::u32string::npos ? U"" : line.substr(slash);
        const std::string key = joinKeyPath(splitKeyPath(nameOf(path)));

        if (remove) {
            m_changes.push_back({RegChange::Kind::DeleteKey, key, {}, {}});
            m_key.reset();
        } else {
            m_changes.push_back({RegChange::Kind::CreateKey, key, {}, {}});
            m_key = key;
        }
    }

    void readValueLine() {
        if (!m_key)
            throw malformed();
        std::string name;
        if (peek() == U'@')
            get();
        else
            name = nameOf(readQuoted());
        skipBlanks();
        if (atEnd() || get() != U'=')
            throw malformed();
        skipBlanks();
        if (atEnd())
            throw malformed();

        if (peek() == U'"') {
            setValue(name, bytesOf(readQuoted()));
        } else if (peek() == U'-') {
            get();
            m_changes.push_back({RegChange::Kind::DeleteValue, *m_key, name, {}});
        } else {
            readTypedValue(name);
        }
        skipBlanks();
        if (!atEnd() && !isLineEnd(peek()))
            throw malformed();
    }

    void readTypedValue(const std::string& name) {
        std::u32string type;
        while (!atEnd() && peek() != U':' && !isLineEnd(peek()))
            type.push_back(get());
        if (atEnd() || get() != U':')
            throw malformed();

        if (equalsIgnoringCase(type, U"dword")) {
            std::uint32_t number = 0;
            int digits = 0;
            while (!atEnd() && hexDigit(peek()) >= 0) {
                if (++digits > 8)
                    throw malformed();
                number = number << 4 | static_cast<std::uint32_t>(hexDigit(get()));
            }
            if (digits == 0)
                throw malformed();
            setValue(name, number);
            return;
        }

        std::string data = readHexList();
        if (equalsIgnoringCase(type, U"hex")) {
            if (data.find('\0') != std::string::npos)
                throw failure("Unsupported value type on line ");
            setValue(name, data);
        } else if (equalsIgnoringCase(type, U"hex(1)")) {
            setValue(name, stringOfRegSz(data));
        } else if (equalsIgnoringCase(type, U"hex(4)")) {
            if (data.size() != 4)
                throw malformed();
            std::uint32_t number = 0;
            for (int i = 3; i >= 0; --i)
                number = number << 8 | static_cast<unsigned char>(data[i]);
            setValue(name, number);
        } else {
            throw failure("Unsupported value type on line ");
        }
    }

    std::string readHexList() {
        std::string data;
        for (;;) {
            skipBlanks();
            if (!atEnd() && peek() == U'\\') {
                get();
                skipBlanks();
                if (!atEnd() && !isLineEnd(peek()))
                    throw malformed();
                skipLineEnd();
                continue;
            }
            if (atEnd() || hexDigit(peek()) < 0)
                break;
            int byte = hexDigit(get());
            if (!atEnd() && hexDigit(peek()) >= 0)
                byte = byte * 16 + hexDigit(get());
            data.push_back(static_cast<char>(byte));
            skipBlanks();
            if (atEnd() || peek() != U',')
                break;
            get();
        }
        return data;
    }

    /// A quoted string with its escapes undone; raw line breaks inside belong to it.
    std::u32string readQuoted() {
        get(); // '"'
        std::u32string text;
        for (;;) {
            if (atEnd())
                throw malformed();
            char32_t c = get();
            if (c == U'"')
                return text;
            if (c == U'\\') {
                if (atEnd() || (peek() != U'\\' && peek() != U'"'))
                    throw malformed();
                c = get();
            } else if (c == U'\n' || (c == U'\r' && (atEnd() || peek() != U'\n'))) {
                ++m_line;
            }
            text.push_back(c);
        }
    }

    // From the file's characters to the store's names and bytes.

    std::string nameOf(const std::u32string& text) const {
        if (!m_unicode) {
            std::u32string unicode;
            for (char32_t byte : text)
                unicode.push_back(windows1251Char(static_cast<std::uint8_t>(byte)));
            return encodeUtf8(unicode);
        }
        for (char32_t c : text) {
            if (c >= 0xD800 && c <= 0xDFFF)
                throw malformed();
        }
        return encodeUtf8(text);
    }

    std::string bytesOf(const std::u32string& text) const {
        std::string bytes;
        bytes.reserve(text.size());
        for (char32_t c : text) {
            if (!m_unicode) {
                bytes.push_back(static_cast<char>(c));
                continue;
            }
            std::optional<std::uint8_t> byte = windows1251Byte(c);
            if (!byte) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
                throw Error(std::string("Character ") + code + " on line " +
                            std::to_string(m_entryLine) + " in " + m_fileName +
                            " has no Windows-1251 byte");
            }
            bytes.push_back(static_cast<char>(*byte));
        }
        return bytes;
    }

    std::string stringOfRegSz(const std::string& data) const {
        if (m_unicode) {
            std::u32string text = decodeUtf16le(data);
            text = text.substr(0, text.find(U'\0'));
            return bytesOf(text);
        }
        return data.substr(0, data.find('\0'));
    }

    void setValue(const std::string& name, StoredValue value) {
        if (const auto* text = std::get_if<std::string>(&value);
            text && text->find('\0') != std::string::npos)
            throw failure("Unsupported value type on line ");
        m_changes.push_back({RegChange::Kind::SetValue, *m_key, name, std::move(value)});
    }

    // The cursor.

    bool atEnd() const { return m_position >= m_text.size(); }
    char32_t peek() const { return m_text[m_position]; }
    char32_t get() { return m_text[m_position++]; }

    void skipBlanks() {
        while (!atEnd() && isBlank(peek()))
            ++m_position;
    }

    void skipLineEnd() {
        if (!atEnd() && peek() == U'\r')
            ++m_position;
        if (!atEnd() && peek() == U'\n')
            ++m_position;
        ++m_line;
    }

    void skipToLineEnd() {
        while (!atEnd() && !isLineEnd(peek()))
            ++m_position;
        if (!atEnd())
            skipLineEnd();
    }

    Error malformed() const { return failure("Malformed line "); }
    Error failure(const std::string& what) const {
        return Error(what + std::to_string(m_entryLine) + " in " + m_fileName);
    }

    std::string m_fileName;
    std::u32string m_text;
    bool m_unicode = false;
    std::size_t m_position = 0;
    int m_line = 1;
    int m_entryLine = 1;
    std::optional<std::string> m_key;
    std::vector<RegChange> m_changes;
};

} // namespace

std::vector<RegChange> RegFileReader::parse(std::string_view bytes, const std::string& fileName) {
    return Parser(bytes, fileName).run();
}

void RegFileReader::apply(SettingsStore& store, const std::vector<RegChange>& changes) {
    store.beginBatch();
    for (const RegChange& change : changes) {
        switch (change.kind) {
        case RegChange::Kind::CreateKey:
            store.createKey(change.key);
            break;
        case RegChange::Kind::DeleteKey:
            store.deleteKey(change.key);
            break;
        case RegChange::Kind::SetValue:
            store.setValue(change.key, change.name, change.value);
            break;
        case RegChange::Kind::DeleteValue:
            store.deleteValue(change.key, change.name);
            break;
        }
    }
    store.commit();
}

void RegFileReader::import(SettingsStore& store, std::string_view bytes,
                           const std::string& fileName) {
    apply(store, parse(bytes, fileName));
}

} // namespace marlet
