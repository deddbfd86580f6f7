#pragma once

#include "PrintHead.h"
#include "charset/CodePageTable.h"
#include "config/PrinterLanguage.h"
#include "render/JobInput.h"

#include <cstdint>
#include <memory>

namespace marlet {

/// The commands of one printer language that go beyond the scheme's twenty sequences: bit
/// images and binary spacing. They get the first look at every escape byte of a job whose
/// scheme switches the language on.
class LanguageCommands {
public:
    virtual ~LanguageCommands() = default;

    /// The commands of a language, or none for PrinterLanguage::None; table is the job's
    /// code page.
    static std::unique_ptr<LanguageCommands> make(PrinterLanguage language, PrintHead& head,
                                                  JobInput& input, const CodePageTable& table);

    /// At an escape byte just read: acts on a command of the language and takes its bytes.
    /// False, with nothing taken, leaves the escape byte to the scheme.
    virtual bool escape() = 0;
    /// Whether a picture is being gathered that any other byte ends (PCL raster rows).
    virtual bool gathering() const { return false; }
    /// Draws what was gathered; called before any other byte and at the end of the job.
    virtual void finish() {}

    /// Whether the language sets text on the page itself (PCL): every byte that no scheme
    /// entry takes goes to escape() or print(), and the job's grid, line wrap and page
    /// ends leave it alone. Languages that print in the grid's cells keep the default.
    virtual bool placesText() const { return false; }
    /// Under placesText(): prints or obeys a byte that is not an escape (text, control
    /// codes), advancing by the language's own rules.
    virtual void print(std::uint8_t /*byte*/) {}
    /// Puts the printer in its power-on state as the job starts, once the grid is set.
    virtual void start() {}
    /// Whether the language acts on the byte as a control code: it then never fills a cell.
    virtual bool controls(std::uint8_t /*byte*/) const { return false; }
    /// At a byte the scheme did not take: acts on a control code of the language. False
    /// leaves the byte to the job.
    virtual bool control(std::uint8_t /*byte*/) { return false; }
    /// Whether the language may print the byte as another character than the code page
    /// gives: such a byte never goes with a run of plain text.
    virtual bool translates(std::uint8_t /*byte*/) const { return false; }
    /// The character the printer prints for a byte the code page makes code.
    virtual char16_t character(std::uint8_t /*byte*/, char16_t code) const { return code; }
    /// Whether a character that does not fit the line moves to the next line before it
    /// prints, as a printer's line buffer does, instead of the line wrapping once full.
    virtual bool wrapsBeforeCharacter() const { return false; }
};

} // namespace marlet
