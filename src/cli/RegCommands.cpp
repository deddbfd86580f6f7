#include "RegCommands.h"

#include "EscapedBytes.h"
#include "base/Error.h"
#include "config/KeyPath.h"
#include "config/RegFileReader.h"
#include "config/Settings.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace marlet {

namespace {

bool hasRootPrefix(const std::string& operand, std::string_view root) {
    if (operand.size() < root.size())
        return false;
    if (foldName(operand.substr(0, root.size())) != root)
        return false;
    return operand.size() == root.size() || operand[root.size()] == '\\';
}

std::uint32_t parseDword(const std::string& text) {
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const std::string digits = hex ? text.substr(2) : text;
    const std::string allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of(allowed) != std::string::npos)
        throw UsageError("a dword is a number 0 to 4294967295, not '" + text + "'");
    unsigned long long number = std::stoull(digits, nullptr, hex ? 16 : 10);
    if (number > 0xFFFFFFFFull)
        throw UsageError("a dword is a number 0 to 4294967295, not '" + text + "'");
    return static_cast<std::uint32_t>(number);
}

} // namespace

std::string RegCommands::resolveKey(const std::string& operand) {
    if (operand.empty() || operand == ".")
        return MarletKey;
    if (operand.front() == '\\')
        return joinKeyPath(splitKeyPath(operand));
    for (std::string_view root : {"HKEY_LOCAL_MACHINE", "HKLM"}) {
        if (hasRootPrefix(operand, root))
            return joinKeyPath(splitKeyPath(operand.substr(root.size())));
    }
    return joinKeyPath(splitKeyPath(std::string(MarletKey) + "\\" + operand));
}

void RegCommands::run(const RegArguments& arguments) {
    const std::string& command = arguments.command;
    const std::vector<std::string>& operands = arguments.operands;
    auto operand = [&](std::size_t i) -> const std::string* {
        return i < operands.size() ? &operands[i] : nullptr;
    };
    if (command == "get")
        get(resolveKey(operands[0]), operand(1));
    else if (command == "set")
        set(resolveKey(operands[0]), operands[1], operands[2], arguments.type);
    else if (command == "delete")
        remove(resolveKey(operands[0]), operand(1));
    else if (command == "list")
        list(resolveKey(operands.empty() ? "." : operands[0]));
    else if (command == "export")
        exportTo(operands[0], resolveKey(operands.size() > 1 ? operands[1] : "."),
                 arguments.format);
    else if (command == "import")
        importFrom(operands[0]);
    else
        throw UsageError("unknown command '" + command + "'");
}

void RegCommands::requireKey(const std::string& key) const {
    if (!m_store.keyExists(key))
        throw Error("Key '" + key + "' not found");
}

std::string RegCommands::show(const StoredValue& value) const {
    if (const auto* number = std::get_if<std::uint32_t>(&value))
        return std::to_string(*number);
    return escapeBytes(std::get<std::string>(value));
}

// The application's key reads as empty in a store that nothing was written to yet.
bool RegCommands::readableKey(const std::string& key) const {
    if (foldName(key) != foldName(MarletKey))
        requireKey(key);
    return m_store.keyExists(key);
}

void RegCommands::get(const std::string& key, const std::string* name) {
    bool readable = readableKey(key);
    if (name) {
        std::optional<StoredValue> value =
            readable ? m_store.value(key, *name) : std::optional<StoredValue>();
        if (!value)
            throw Error("Value '" + *name + "' not found in '" + key + "'");
        m_out << show(*value) << '\n';
        return;
    }
    if (!readable)
        return;
    for (const std::string& valueName : m_store.valueNames(key)) {
        std::optional<StoredValue> value = m_store.value(key, valueName);
        if (!value)
            continue;
        const char* type = std::holds_alternative<std::uint32_t>(*value) ? "dword" : "string";
        m_out << valueName << '\t' << type << '\t' << show(*value) << '\n';
    }
}

ValueType RegCommands::typeFor(const std::string& key, const std::string& name,
                               ValueType asked) const {
    if (asked != ValueType::Automatic)
        return asked;
    if (std::optional<StoredValue> existing = m_store.value(key, name))
        return std::holds_alternative<std::uint32_t>(*existing) ? ValueType::Dword
                                                                : ValueType::String;
    if (foldName(key) == foldName(MarletKey)) {
        if (const SettingField* field = findSettingField(name))
            return field->kind == SettingKind::Text ? ValueType::String : ValueType::Dword;
    }
    return ValueType::String;
}

void RegCommands::set(const std::string& key, const std::string& name, const std::string& text,
                      ValueType type) {
    if (typeFor(key, name, type) == ValueType::Dword) {
        m_store.setValue(key, name, parseDword(text));
        return;
    }
    std::optional<std::string> bytes = unescapeBytes(text);
    if (!bytes)
        throw UsageError("'" + text +
                         "' has a backslash that is none of \\e \\r \\n \\t \\f \\\\ \\xHH");
    m_store.setValue(key, name, *bytes);
}

void RegCommands::remove(const std::string& key, const std::string* name) {
    requireKey(key);
    if (!name) {
        m_store.deleteKey(key);
        return;
    }
    if (!m_store.value(key, *name))
        throw Error("Value '" + *name + "' not found in '" + key + "'");
    m_store.deleteValue(key, *name);
}

void RegCommands::list(const std::string& key) {
    if (!readableKey(key))
        return;
    for (const std::string& subkey : m_store.subkeys(key))
        m_out << subkey << '\n';
}

void RegCommands::exportTo(const std::string& file, const std::string& key, RegFormat format) {
    const std::string bytes = RegFileWriter(format).write(m_store, key);
    if (file == "-") {
        m_out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        m_out.flush();
        return;
    }
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw Error("Cannot create file " + file);
}

void RegCommands::importFrom(const std::string& file) {
    std::string bytes;
    if (file == "-") {
        bytes.assign(std::istreambuf_iterator<char>(m_in), std::istreambuf_iterator<char>());
        RegFileReader::import(m_store, bytes, "standard input");
        return;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Error::cannotOpen(file);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    RegFileReader::import(m_store, bytes, file);
}

} // namespace marlet
