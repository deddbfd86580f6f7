#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace marlet {

/// A stored value: a 32-bit number or a byte string (one byte per character, as a DOS
/// program's escape sequences are kept).
using StoredValue = std::variant<std::uint32_t, std::string>;

/// The application's key under the store's root.
inline constexpr const char* MarletKey = "\\SOFTWARE\\Tuvo\\Marlet";

/// A registry-like store: keys by absolute path ("\SOFTWARE\Tuvo\Marlet"), subkeys listed
/// in sorted order, values in the order they were made, names matched without regard to
/// case and kept as first written.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    /// Whether the key exists; reading never creates one.
    virtual bool keyExists(const std::string& key) const = 0;
    /// Creates the key and its parents; an existing key is left as it is.
    virtual void createKey(const std::string& key) = 0;
    /// Removes a key with its values and subkeys.
    virtual void deleteKey(const std::string& key) = 0;
    /// Names of the key's direct subkeys, sorted without regard to case; empty if none.
    virtual std::vector<std::string> subkeys(const std::string& key) const = 0;
    /// Names of the key's values, in the order they were made.
    virtual std::vector<std::string> valueNames(const std::string& key) const = 0;
    /// The value, or nothing when the key or the value is absent.
    virtual std::optional<StoredValue> value(const std::string& key,
                                             const std::string& name) const = 0;
    /// Writes a value, creating the key if needed. Fails with "Failed to set data for 'NAME'".
    virtual void setValue(const std::string& key, const std::string& name,
                          const StoredValue& value) = 0;
    virtual void deleteValue(const std::string& key, const std::string& name) = 0;

    /// Groups the writes until commit() into one transaction: a crash in between leaves
    /// none of them.
    virtual void beginBatch() = 0;
    virtual void commit() = 0;
};

/// A number value, or nothing when absent. A string there fails with
/// "Invalid data type for 'NAME'".
std::optional<std::uint32_t> readNumber(const SettingsStore& store, const std::string& key,
                                        const std::string& name);

/// A string value, or nothing when absent. A number there fails with
/// "Invalid data type for 'NAME'".
std::optional<std::string> readString(const SettingsStore& store, const std::string& key,
                                      const std::string& name);

} // namespace marlet
