#pragma once

#include "SettingsStore.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

struct sqlite3;

namespace marlet {

/// The settings store in one SQLite database file per user.
///
/// Every write is a transaction of its own unless a batch is open; a batch is one
/// transaction, so a process killed before commit() leaves the file as it was. A write
/// that fails inside a batch rolls the whole batch back before it reports the failure.
/// Strings are byte strings kept exactly, except that, as in the registry, a string cannot
/// hold a zero byte: writing one fails with "Failed to set data for 'NAME'". Names are
/// matched through foldName(), so UTF-8 names match without regard to case.
///
/// The file keeps SQLite's rollback journal (no side files, and a read-only file still
/// reads) and waits up to five seconds for a lock, which is how the resident app and
/// marlet-reg share it: each holds the file only for the moment of a read or a write.
class SqliteSettingsStore : public SettingsStore {
public:
    enum class Access { ReadWrite, ReadOnly };

    /// The layout of the tables this code writes, kept in PRAGMA user_version.
    static constexpr int SchemaVersion = 1;

    /// Opens the database at path, creating the file and its folders when writing is
    /// allowed; ":memory:" gives a store that lives as long as the object. Fails with
    /// "Cannot open file PATH".
    explicit SqliteSettingsStore(const std::string& path, Access access = Access::ReadWrite);
    ~SqliteSettingsStore() override;
    SqliteSettingsStore(const SqliteSettingsStore&) = delete;
    SqliteSettingsStore& operator=(const SqliteSettingsStore&) = delete;

    /// The user's database: $MARLET_REGISTRY, else $XDG_CONFIG_HOME/marlet/registry.db,
    /// else ~/.config/marlet/registry.db.
    static std::string userPath();

    /// The file this store reads and writes.
    const std::string& path() const { return m_path; }

    bool keyExists(const std::string& key) const override;
    void createKey(const std::string& key) override;
    void deleteKey(const std::string& key) override;
    std::vector<std::string> subkeys(const std::string& key) const override;
    std::vector<std::string> valueNames(const std::string& key) const override;
    std::optional<StoredValue> value(const std::string& key,
                                     const std::string& name) const override;
    void setValue(const std::string& key, const std::string& name,
                  const StoredValue& value) override;
    void deleteValue(const std::string& key, const std::string& name) override;
    void beginBatch() override;
    void commit() override;

private:
    class Statement;

    void execute(const char* sql) const;
    void migrate(Access access);
    std::optional<long long> findKey(const std::string& key) const;
    long long dataVersion() const;
    /// The id to resolve key from (the last key found, when key lies below it) and the
    /// path that remains.
    std::pair<long long, std::string_view> knownStart(std::string_view key) const;
    void remember(const std::string& key, long long id) const;
    /// The names a query lists for a key's id; none when the key is absent.
    std::vector<std::string> namesUnder(const std::string& key, const char* query) const;
    long long makeKey(const std::string& key);
    template <typename Write>
    void write(Write&& write, const std::string& failure);
    void rollback();

    std::string m_path;
    sqlite3* m_db = nullptr;
    int m_batchDepth = 0;
    bool m_inTransaction = false;
    // The last key found and the file's version then: a walk down the tree (an export, an
    // import) resolves each key from its parent instead of from the root.
    mutable std::string m_foundPath;
    mutable long long m_foundId = -1;
    mutable long long m_foundVersion = -1;
};

/// The user's store (SqliteSettingsStore::userPath()), open for reading and writing.
std::unique_ptr<SettingsStore> openUserSettingsStore();

} // namespace marlet
