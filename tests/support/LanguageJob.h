#pragma once

#include "support/TracedJob.h"

#include <map>
#include <sstream>
#include <string>

namespace marlet::testing {

/// Prints bytes under a stored scheme whose "Language" value is given, on a fake printer of
/// some resolution, and gives back what reached the page: "image L T R B WxH" lines as the
/// trace writes them, "text X Y C" for each glyph, with positions relative to the first
/// cell of the page.
class LanguageJob : public TracedJob {
public:
    LanguageJob(const std::string& language, int dpi,
                std::map<std::string, std::string> entries = {}) {
        printer.dpiX = printer.dpiY = dpi;
        printer.sheet = {dpi * 8, dpi * 11, 0, 0};
        table.loadText("\x01..\xFF=0#204\n");
        sample = fontFromPoints("Courier New", 10, {}, dpi);
        geometry.setcell(10);
        geometry.checksize(sample, Margins{}, Orientation::Portrait);
        store.setValue(MarletKey, "Sequence", "Printer");
        const std::string key = std::string(SequencesKey) + "\\Printer";
        store.createKey(key);
        if (!language.empty())
            store.setValue(key, LanguageValueName, language);
        for (const auto& [entry, bytes] : entries)
            store.setValue(key, entry, bytes);
    }

    std::string print(const std::string& bytes, const std::string& init = "") {
        JobSettings job;
        job.initString = init;
        run(
            bytes, job, [](std::uint8_t) {}, [this] { scheme.LoadSequences(store); });
        std::istringstream lines(trace.str());
        std::string line, out;
        while (std::getline(lines, line)) {
            std::istringstream parts(line);
            std::string kind;
            parts >> kind;
            if (kind == "image") {
                int left, top, right, bottom;
                std::string size;
                parts >> left >> top >> right >> bottom >> size;
                out += "image " + std::to_string(left - geometry.OriginX) + " " +
                       std::to_string(top - geometry.OriginY) + " " +
                       std::to_string(right - geometry.OriginX) + " " +
                       std::to_string(bottom - geometry.OriginY) + " " + size + "\n";
            } else if (kind == "text") {
                int x, y;
                std::string code;
                parts >> x >> y >> code;
                out += "text " + std::to_string(x - geometry.OriginX) + " " +
                       std::to_string(y - geometry.OriginY) + " " +
                       static_cast<char>(std::stoi(code.substr(2), nullptr, 16)) + "\n";
            } else if (kind == "new_page") {
                out += "new_page\n";
            }
        }
        return out;
    }

    /// Prints bytes and gives back the trace lines whose first word is one of kinds
    /// (" font text "), leaving out the job's own first font.
    std::string traced(const std::string& bytes, const std::string& kinds) {
        print(bytes);
        std::istringstream lines(trace.str());
        std::string line, out;
        while (std::getline(lines, line)) {
            if (kinds.find(" " + line.substr(0, line.find(' ')) + " ") != std::string::npos &&
                line.find("Courier New") == std::string::npos)
                out += line + "\n";
        }
        return out;
    }
};

} // namespace marlet::testing
