#pragma once

#include "config/SettingsStore.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace marlet::testing {

/// A settings store held in memory, with the registry's model: key paths and value names
/// matched without regard to case and kept as first written, subkeys in sorted order,
/// values in the order they were made.
class MemorySettingsStore : public SettingsStore {
public:
    bool keyExists(const std::string& key) const override { return m_keys.contains(fold(key)); }

    void createKey(const std::string& key) override {
        for (std::size_t slash = key.find('\\', 1); slash != std::string::npos;
             slash = key.find('\\', slash + 1))
            m_keys.try_emplace(fold(key.substr(0, slash)), Key{key.substr(0, slash), {}});
        m_keys.try_emplace(fold(key), Key{key, {}});
    }

    void deleteKey(const std::string& key) override {
        const std::string folded = fold(key);
        std::erase_if(m_keys, [&](const auto& entry) {
            return entry.first == folded || entry.first.starts_with(folded + "\\");
        });
    }

    std::vector<std::string> subkeys(const std::string& key) const override {
        const std::string prefix = fold(key) + "\\";
        std::vector<std::string> names;
        for (const auto& [folded, stored] : m_keys)
            if (folded.starts_with(prefix) && folded.find('\\', prefix.size()) == std::string::npos)
                names.push_back(stored.path.substr(prefix.size()));
        std::ranges::sort(
            names, [](const std::string& a, const std::string& b) { return fold(a) < fold(b); });
        return names;
    }

    std::vector<std::string> valueNames(const std::string& key) const override {
        std::vector<std::string> names;
        if (const Key* stored = find(key))
            for (const auto& [name, value] : stored->values)
                names.push_back(name);
        return names;
    }

    std::optional<StoredValue> value(const std::string& key,
                                     const std::string& name) const override {
        if (const Key* stored = find(key))
            for (const auto& [storedName, value] : stored->values)
                if (fold(storedName) == fold(name))
                    return value;
        return std::nullopt;
    }

    void setValue(const std::string& key, const std::string& name,
                  const StoredValue& value) override {
        createKey(key);
        auto& values = m_keys.at(fold(key)).values;
        for (auto& [storedName, storedValue] : values)
            if (fold(storedName) == fold(name)) {
                storedValue = value;
                return;
            }
        values.emplace_back(name, value);
    }

    void deleteValue(const std::string& key, const std::string& name) override {
        if (auto found = m_keys.find(fold(key)); found != m_keys.end())
            std::erase_if(found->second.values,
                          [&](const auto& entry) { return fold(entry.first) == fold(name); });
    }

    void beginBatch() override {}
    void commit() override {}

private:
    struct Key {
        std::string path;
        std::vector<std::pair<std::string, StoredValue>> values;
    };

    // Upper case, as the host registry compares names and orders subkeys.
    static std::string fold(std::string text) {
        for (char& c : text)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return text;
    }

    const Key* find(const std::string& key) const {
        auto found = m_keys.find(fold(key));
        return found == m_keys.end() ? nullptr : &found->second;
    }

    std::map<std::string, Key> m_keys; // by folded path
};

} // namespace marlet::testing
