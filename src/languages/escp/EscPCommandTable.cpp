#include "languages/escp/EscPCommandTable.h"

namespace marlet {

namespace {

constexpr std::uint8_t P = 1;  // 9-pin ESC/P
constexpr std::uint8_t P2 = 2; // 24-pin ESC/P2
constexpr std::uint8_t I = 4;  // Proprinter
constexpr std::uint8_t Epson = P | P2;
constexpr std::uint8_t All = P | P2 | I;

using F = EscPForm;
using A = EscPAction;

// From the command summaries of the printers' reference manuals. Where two languages give
// one letter different parameters, each has its own line.
constexpr EscPCommand Table[] = {
    // Images and spacing.
    {"K", F::Columns, 0, All, A::ColumnImage},
    {"L", F::Columns, 0, All, A::ColumnImage},
    {"Y", F::Columns, 0, All, A::ColumnImage},
    {"Z", F::Columns, 0, All, A::ColumnImage},
    {"*", F::StarColumns, 0, Epson, A::StarImage},
    {"^", F::NineDotColumns, 0, Epson, A::NineDotImage},
    {".", F::Raster, 0, P2, A::RasterImage},
    {"0", F::Fixed, 0, All, A::SpacingEighth},
    {"1", F::Fixed, 0, All, A::SpacingSevenSeventySeconds},
    {"2", F::Fixed, 0, All, A::SpacingSixth},
    {"3", F::Fixed, 1, All, A::SpacingUnits},
    {"A", F::Fixed, 1, All, A::SpacingA},
    {"+", F::Fixed, 1, P2, A::Spacing360},
    {"J", F::Fixed, 1, All, A::Advance},
    {"j", F::Fixed, 1, P, A::Ignore},
    {"$", F::Fixed, 2, Epson, A::AbsoluteX},
    {"\\", F::Fixed, 2, Epson, A::RelativeX},
    // Pitch and style.
    {"@", F::Fixed, 0, Epson, A::Reset},
    {"P", F::Fixed, 0, Epson, A::Pica},
    {"M", F::Fixed, 0, Epson, A::Elite},
    {"g", F::Fixed, 0, Epson, A::Fifteen},
    {":", F::Fixed, 0, I, A::Elite},
    {"\x0F", F::Fixed, 0, All, A::Condensed},
    {"\x0E", F::Fixed, 0, All, A::DoubleWidthLine},
    {"!", F::Fixed, 1, Epson, A::MasterSelect},
    {"E", F::Fixed, 0, All, A::Bold},
    {"F", F::Fixed, 0, All, A::NoBold},
    {"G", F::Fixed, 0, All, A::DoubleStrike},
    {"H", F::Fixed, 0, All, A::NoDoubleStrike},
    {"4", F::Fixed, 0, Epson, A::Italic},
    {"5", F::Fixed, 0, Epson, A::NoItalic},
    {"-", F::Fixed, 1, All, A::Underline},
    {"_", F::Fixed, 1, I, A::Ignore},
    {"W", F::Fixed, 1, All, A::DoubleWidth},
    {"w", F::Fixed, 1, Epson, A::DoubleHeight},
    {"S", F::Fixed, 1, All, A::Script},
    {"T", F::Fixed, 0, All, A::NoScript},
    {" ", F::Fixed, 1, Epson, A::ExtraSpace},
    {"X", F::Fixed, 3, P2, A::PitchAndPoint},
    {"p", F::Fixed, 1, Epson, A::Proportional},
    {"P", F::Fixed, 1, I, A::Proportional},
    {"x", F::Fixed, 1, Epson, A::Ignore},
    {"k", F::Fixed, 1, Epson, A::Typeface},
    {"q", F::Fixed, 1, Epson, A::Ignore},
    {"r", F::Fixed, 1, Epson, A::Ignore},
    {"t", F::Fixed, 1, Epson, A::Ignore},
    {"R", F::Fixed, 1, Epson, A::International},
    {"6", F::Fixed, 0, All, A::Ignore},
    {"7", F::Fixed, 0, All, A::Ignore},
    {"I", F::Fixed, 1, All, A::Ignore},
    {"m", F::Fixed, 1, P, A::Ignore},
    {"%", F::Fixed, 1, Epson, A::Ignore},
    {":", F::Fixed, 3, Epson, A::Ignore},
    {"&", F::Characters, 0, Epson, A::Ignore},
    {"=", F::Counted, 0, I, A::Ignore},
    {"a", F::Fixed, 1, Epson, A::Ignore},
    {"c", F::Fixed, 2, P2, A::Ignore},
    {"h", F::Fixed, 1, P, A::Ignore},
    {"?", F::Fixed, 2, Epson, A::Ignore},
    {"U", F::Fixed, 1, All, A::Ignore},
    {"<", F::Fixed, 0, All, A::Ignore},
    {"\x19", F::Fixed, 1, Epson, A::Ignore},
    {"8", F::Fixed, 0, All, A::Ignore},
    {"9", F::Fixed, 0, All, A::Ignore},
    {"s", F::Fixed, 1, Epson, A::Ignore},
    {"i", F::Fixed, 1, P, A::Ignore},
    {"y", F::Fixed, 0, P, A::Ignore},
    {"#", F::Fixed, 0, P, A::Ignore},
    {"=", F::Fixed, 0, P, A::Ignore},
    {">", F::Fixed, 0, P, A::Ignore},
    {"/", F::Fixed, 1, P, A::Ignore},
    {"b", F::NulList, 17, P, A::Ignore},
    {"Q", F::Fixed, 1, I, A::Ignore},
    {"j", F::Fixed, 0, I, A::Ignore},
    {"d", F::Fixed, 2, I, A::Ignore},
    {"]", F::Fixed, 0, I, A::Ignore},
    {"\\", F::Fixed, 2, I, A::Ignore},
    {"^", F::Fixed, 0, I, A::Ignore},
    {"4", F::Fixed, 0, I, A::Ignore},
    {"5", F::Fixed, 1, I, A::AutoLineFeed},
    {"[", F::Counted, 1, I, A::Ignore},
    // Page.
    {"C", F::FormLength, 0, All, A::FormLength},
    {"N", F::Fixed, 1, All, A::SkipPerforation},
    {"O", F::Fixed, 0, All, A::NoSkipPerforation},
    {"l", F::Fixed, 1, Epson, A::LeftMargin},
    {"Q", F::Fixed, 1, Epson, A::RightMargin},
    {"X", F::Fixed, 2, I, A::Margins},
    {"D", F::NulList, 32, All, A::HorizontalTabs},
    {"B", F::NulList, 16, All, A::VerticalTabs},
    {"R", F::Fixed, 0, I, A::ResetTabs},
    {"e", F::Fixed, 2, Epson, A::Ignore},
    {"f", F::Fixed, 2, Epson, A::Ignore},
    {"(C", F::Counted, 0, P2, A::PageLength},
    {"(c", F::Counted, 0, P2, A::PageFormat},
    {"(V", F::Counted, 0, P2, A::AbsoluteY},
    {"(v", F::Counted, 0, P2, A::RelativeY},
    {"(U", F::Counted, 0, P2, A::Unit},
    {"(-", F::Counted, 0, P2, A::ScoreLine},
    {"(", F::Counted, 1, P2, A::Ignore},
};

// Where a run-length raster block of so many bytes ends, or none when the job ends first.
std::optional<std::size_t> rasterEnd(std::size_t start, std::size_t bytes,
                                     const std::function<std::string_view(std::size_t)>& look) {
    // Looked at once, as far as the longest encoding reaches (a counter for every 128
    // bytes): counters are read from one view, not fetched one by one.
    const std::string_view block = look(start + bytes + bytes / 128 + 2);
    std::size_t at = start;
    for (std::size_t done = 0; done < bytes;) {
        if (block.size() <= at)
            return std::nullopt;
        const auto n = static_cast<std::uint8_t>(block[at]);
        // 0-127: so many plus one bytes as they are; 128-255: one byte 257 - n times.
        done += n < 128 ? n + 1u : 257u - n;
        at += 1 + (n < 128 ? n + 1u : 1u);
    }
    return at;
}

} // namespace

std::uint8_t languageBit(PrinterLanguage language) {
    switch (language) {
    case PrinterLanguage::EscP:
        return P;
    case PrinterLanguage::EscP2:
        return P2;
    case PrinterLanguage::Proprinter:
        return I;
    default:
        return 0;
    }
}

std::span<const EscPCommand> escPCommandTable() {
    return Table;
}

const EscPCommand* findEscPCommand(PrinterLanguage language, std::string_view afterEscape) {
    if (afterEscape.empty())
        return nullptr;
    const std::uint8_t bit = languageBit(language);
    const EscPCommand* found = nullptr;
    for (const EscPCommand& command : Table) {
        if ((command.languages & bit) == 0 || command.name[0] != afterEscape[0])
            continue;
        // A two-byte name (ESC ( C) wins over the family's catch-all (ESC ( and a letter).
        if (command.name.size() == 2) {
            if (afterEscape.size() >= 2 && afterEscape[1] == command.name[1])
                return &command;
            continue;
        }
        if (!found)
            found = &command;
    }
    return found;
}

int starColumnBytes(std::uint8_t density, PrinterLanguage language) {
    if (density <= 7)
        return 1;
    if (density == 32 || density == 33 || density == 38 || density == 39 || density == 40)
        return 3;
    if (language == PrinterLanguage::EscP2 && (density == 71 || density == 72 || density == 73))
        return 6;
    return 0;
}

namespace {

// The length the parameters announce, which may reach past the end of the job.
std::optional<std::size_t>
announcedLength(const EscPCommand& command, PrinterLanguage language,
                const std::function<std::string_view(std::size_t)>& look) {
    // The catch-all of a family (ESC ( x, ESC [ x) names one more byte than its entry.
    const std::size_t name = command.name.size() + (command.form == F::Counted ? command.count : 0);
    auto need = [&](std::size_t bytes) -> std::optional<std::string_view> {
        std::string_view seen = look(bytes);
        if (seen.size() < bytes)
            return std::nullopt;
        return seen;
    };
    switch (command.form) {
    case F::Fixed:
        return need(name + command.count) ? std::optional(name + command.count) : std::nullopt;
    case F::Columns:
    case F::Counted: {
        auto head = need(name + 2);
        if (!head)
            return std::nullopt;
        return name + 2 + static_cast<std::size_t>(parameterWord(*head, name));
    }
    case F::StarColumns:
    case F::NineDotColumns: {
        auto head = need(name + 3);
        if (!head)
            return std::nullopt;
        const auto density = static_cast<std::uint8_t>((*head)[name]);
        int bytes = command.form == F::NineDotColumns ? 2 : starColumnBytes(density, language);
        // A density the printer lacks: its columns are taken a byte each.
        if (bytes == 0)
            bytes = 1;
        return name + 3 +
               static_cast<std::size_t>(parameterWord(*head, name + 1)) *
                   static_cast<std::size_t>(bytes);
    }
    case F::NulList: {
        std::string_view list = look(name + command.count + 1);
        for (std::size_t i = name; i < list.size(); ++i) {
            if (list[i] == 0)
                return i + 1;
        }
        // Without a NUL the list ends at its most entries.
        if (list.size() == name + command.count + 1)
            return name + command.count;
        return std::nullopt;
    }
    case F::FormLength: {
        auto head = need(name + 1);
        if (!head)
            return std::nullopt;
        const std::size_t length = (*head)[name] == 0 ? name + 2 : name + 1;
        return need(length) ? std::optional(length) : std::nullopt;
    }
    case F::Characters: {
        // ESC & NUL first last, then per character its proportions and dot columns.
        auto head = need(name + 3);
        if (!head)
            return std::nullopt;
        const auto first = static_cast<std::uint8_t>((*head)[name + 1]);
        const auto last = static_cast<std::uint8_t>((*head)[name + 2]);
        std::size_t at = name + 3;
        if (last < first)
            return at;
        if (language == PrinterLanguage::EscP) // an attribute byte and eleven columns each
            return at + 12u * (last - first + 1u);
        // Three bytes of proportions, then three bytes for each of its columns.
        const std::string_view shapes = look(at + (last - first + 1u) * (3u + 3u * 255u));
        for (int code = first; code <= last; ++code) {
            if (shapes.size() < at + 3)
                return std::nullopt;
            at += 3 + 3 * std::size_t{static_cast<std::uint8_t>(shapes[at + 1])};
        }
        return at;
    }
    case F::Raster: {
        auto head = need(name + 6);
        if (!head)
            return std::nullopt;
        const auto compression = static_cast<std::uint8_t>((*head)[name]);
        const std::size_t rows = static_cast<std::uint8_t>((*head)[name + 3]);
        const std::size_t bytes =
            rows * ((static_cast<std::size_t>(parameterWord(*head, name + 4)) + 7) / 8);
        if (compression == 1)
            return rasterEnd(name + 6, bytes, look);
        return name + 6 + bytes;
    }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t>
escPCommandLength(const EscPCommand& command, PrinterLanguage language,
                  const std::function<std::string_view(std::size_t)>& look) {
    std::optional<std::size_t> length = announcedLength(command, language, look);
    if (!length || look(*length).size() < *length)
        return std::nullopt;
    return length;
}

} // namespace marlet
