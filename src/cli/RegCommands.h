#pragma once

#include "RegArguments.h"
#include "base/Error.h"
#include "config/SettingsStore.h"

#include <iosfwd>
#include <string>

namespace marlet {

/// The commands of marlet-reg on one store. Failures are marlet::Error (exit status 1);
/// a VALUE that cannot be read is a UsageError (exit status 2).
class RegCommands {
public:
    RegCommands(SettingsStore& store, std::istream& in, std::ostream& out)
        : m_store(store), m_in(in), m_out(out) {}

    /// Runs the parsed command.
    void run(const RegArguments& arguments);

    /// The store path of a KEY operand: absolute from "\" or a root name, otherwise
    /// relative to the application's key; "" and "." are the application's key.
    static std::string resolveKey(const std::string& operand);

private:
    void get(const std::string& key, const std::string* name);
    void set(const std::string& key, const std::string& name, const std::string& text,
             ValueType type);
    void remove(const std::string& key, const std::string* name);
    void list(const std::string& key);
    void exportTo(const std::string& file, const std::string& key, RegFormat format);
    void importFrom(const std::string& file);

    void requireKey(const std::string& key) const;
    bool readableKey(const std::string& key) const;
    ValueType typeFor(const std::string& key, const std::string& name, ValueType asked) const;
    std::string show(const StoredValue& value) const;

    SettingsStore& m_store;
    std::istream& m_in;
    std::ostream& m_out;
};

} // namespace marlet
