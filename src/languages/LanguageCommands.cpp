#include "LanguageCommands.h"

#include "escp/EscPCommands.h"
#include "pcl/PclCommands.h"

namespace marlet {

std::unique_ptr<LanguageCommands> LanguageCommands::make(PrinterLanguage language, PrintHead& head,
                                                         JobInput& input,
                                                         const CodePageTable& table) {
    switch (language) {
    case PrinterLanguage::EscP:
    case PrinterLanguage::EscP2:
    case PrinterLanguage::Proprinter:
        return std::make_unique<EscPCommands>(language, head, input);
    case PrinterLanguage::Pcl:
        return std::make_unique<PclCommands>(head, input, table);
    case PrinterLanguage::None:
        break;
    }
    return nullptr;
}

} // namespace marlet
