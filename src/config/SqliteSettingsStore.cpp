#include "SqliteSettingsStore.h"

#include "KeyPath.h"
#include "base/Error.h"
#include "base/PrivateFolder.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace marlet {

namespace {

namespace fs = std::filesystem;

constexpr long long RootKey = 1;
// The registry's own type numbers, so that a look into the file with the sqlite3 shell
// reads like a registry dump.
constexpr int StringType = 1;
constexpr int NumberType = 4;
constexpr int LockWaitMilliseconds = 5000;

/// A failure of the database engine, turned into the user's message by the caller.
class SqliteFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

Error setFailed(const std::string& name) {
    return Error("Failed to set data for '" + name + "'");
}

Error readFailed(const std::string& key) {
    return Error("Failed to read key '" + key + "'");
}

} // namespace

class SqliteSettingsStore::Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            throw SqliteFailure(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, long long number) {
        check(sqlite3_bind_int64(m_statement, index, number));
        return *this;
    }
    Statement& bind(int index, std::string_view bytes) {
        // A zero-length blob must not bind as NULL: the columns are NOT NULL.
        check(sqlite3_bind_blob(m_statement, index, bytes.empty() ? "" : bytes.data(),
                                static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
        return *this;
    }
    /// Runs to the next row; false when there is none.
    bool step() {
        int result = sqlite3_step(m_statement);
        if (result == SQLITE_ROW)
            return true;
        if (result == SQLITE_DONE)
            return false;
        throw SqliteFailure(sqlite3_errmsg(m_db));
    }
    long long number(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::string bytes(int column) const {
        const void* data = sqlite3_column_blob(m_statement, column);
        int size = sqlite3_column_bytes(m_statement, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                    : std::string();
    }

private:
    void check(int result) {
        if (result != SQLITE_OK)
            throw SqliteFailure(sqlite3_errmsg(m_db));
    }

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

SqliteSettingsStore::SqliteSettingsStore(const std::string& path, Access access) : m_path(path) {
    const bool inMemory = path == ":memory:";
    int flags = SQLITE_OPEN_READONLY;
    if (access == Access::ReadWrite) {
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        if (!inMemory) {
            if (fs::path(path).has_parent_path())
                makePrivateFolders(fs::path(path).parent_path().string());
            makePrivateFile(path);
        }
    }
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(m_db);
        throw Error::cannotOpen(path);
    }
    sqlite3_busy_timeout(m_db, LockWaitMilliseconds);
    try {
        execute("PRAGMA foreign_keys = ON");
        migrate(access);
    } catch (const SqliteFailure&) {
        sqlite3_close(m_db);
        throw Error::cannotOpen(path);
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SqliteSettingsStore::~SqliteSettingsStore() {
    // An unfinished batch is dropped: the file keeps what it had before it.
    if (m_inTransaction)
        rollback();
    sqlite3_close(m_db);
}

std::string SqliteSettingsStore::userPath() {
    if (const char* named = std::getenv("MARLET_REGISTRY"); named && *named)
        return named;
    fs::path config;
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else
        config = fs::path(homeFolder()) / ".config";
    return (config / "marlet" / "registry.db").string();
}

void SqliteSettingsStore::execute(const char* sql) const {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "unknown failure";
        sqlite3_free(message);
        throw SqliteFailure(text);
    }
}

void SqliteSettingsStore::migrate(Access access) {
    auto version = [this] {
        Statement statement(m_db, "PRAGMA user_version");
        statement.step();
        return statement.number(0);
    };
    long long found = version();
    if (found == SchemaVersion)
        return;
    if (found > SchemaVersion)
        throw Error("The settings store " + m_path + " has version " + std::to_string(found) +
                    ", newer than this program's " + std::to_string(SchemaVersion));
    if (access == Access::ReadOnly)
        throw Error::cannotOpen(m_path);
    // IMMEDIATE: two programs starting at once must not both lay out the tables.
    execute("BEGIN IMMEDIATE");
    try {
        if (version() == 0) {
            execute("CREATE TABLE keys ("
                    " id INTEGER PRIMARY KEY,"
                    " parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,"
                    " name BLOB NOT NULL,"
                    " folded BLOB NOT NULL);"
                    "CREATE UNIQUE INDEX keys_by_name ON keys(parent, folded);"
                    "CREATE TABLE vals ("
                    " id INTEGER PRIMARY KEY,"
                    " key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,"
                    " name BLOB NOT NULL,"
                    " folded BLOB NOT NULL,"
                    " type INTEGER NOT NULL,"
                    " data NOT NULL);"
                    "CREATE UNIQUE INDEX vals_by_name ON vals(key, folded);"
                    "INSERT INTO keys(id, parent, name, folded) VALUES (1, NULL, x'', x'');"
                    "PRAGMA user_version = 1;");
        }
        execute("COMMIT");
    } catch (...) {
        execute("ROLLBACK");
        throw;
    }
}

long long SqliteSettingsStore::dataVersion() const {
    // Changes when another connection commits; this one's own deletions clear the cache.
    Statement version(m_db, "PRAGMA data_version");
    version.step();
    return version.number(0);
}

std::pair<long long, std::string_view> SqliteSettingsStore::knownStart(std::string_view key) const {
    const long long version = dataVersion();
    if (version != m_foundVersion) {
        m_foundVersion = version;
        m_foundPath.clear();
    }
    if (!m_foundPath.empty() && key.starts_with(m_foundPath) &&
        (key.size() == m_foundPath.size() || key[m_foundPath.size()] == '\\'))
        return {m_foundId, key.substr(m_foundPath.size())};
    return {RootKey, key};
}

void SqliteSettingsStore::remember(const std::string& key, long long id) const {
    m_foundPath = key;
    m_foundId = id;
}

std::optional<long long> SqliteSettingsStore::findKey(const std::string& key) const {
    auto [id, rest] = knownStart(key);
    for (const std::string& name : splitKeyPath(rest)) {
        Statement find(m_db, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
        find.bind(1, id).bind(2, foldName(name));
        if (!find.step())
            return std::nullopt;
        id = find.number(0);
    }
    remember(key, id);
    return id;
}

long long SqliteSettingsStore::makeKey(const std::string& key) {
    auto [id, rest] = knownStart(key);
    for (const std::string& name : splitKeyPath(rest)) {
        const std::string folded = foldName(name);
        Statement find(m_db, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
        find.bind(1, id).bind(2, folded);
        if (find.step()) {
            id = find.number(0);
            continue;
        }
        Statement insert(m_db, "INSERT INTO keys(parent, name, folded) VALUES (?, ?, ?)");
        insert.bind(1, id).bind(2, name).bind(3, folded);
        insert.step();
        id = sqlite3_last_insert_rowid(m_db);
    }
    remember(key, id);
    return id;
}

template <typename Write>
void SqliteSettingsStore::write(Write&& write, const std::string& failure) {
    try {
        if (!m_inTransaction) {
            // IMMEDIATE takes the write lock at once, so a busy file is waited for here
            // instead of failing half-way when a read lock cannot be raised.
            execute("BEGIN IMMEDIATE");
            m_inTransaction = true;
        }
        write();
        if (m_batchDepth == 0) {
            execute("COMMIT");
            m_inTransaction = false;
        }
    } catch (const SqliteFailure&) {
        rollback();
        throw Error(failure);
    } catch (...) {
        rollback();
        throw;
    }
}

void SqliteSettingsStore::rollback() {
    // Keys made in the rolled-back transaction are gone, and their ids may come again.
    m_foundPath.clear();
    if (m_inTransaction)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inTransaction = false;
    m_batchDepth = 0;
}

bool SqliteSettingsStore::keyExists(const std::string& key) const {
    try {
        return findKey(key).has_value();
    } catch (const SqliteFailure&) {
        throw readFailed(key);
    }
}

void SqliteSettingsStore::createKey(const std::string& key) {
    write([&] { makeKey(key); }, "Failed to create key " + key);
}

void SqliteSettingsStore::deleteKey(const std::string& key) {
    write(
        [&] {
            std::optional<long long> id = findKey(key);
            if (!id)
                return;
            if (*id == RootKey) {
                execute("DELETE FROM keys WHERE id <> 1; DELETE FROM vals");
                return;
            }
            Statement remove(m_db, "DELETE FROM keys WHERE id = ?");
            remove.bind(1, *id);
            remove.step();
        },
        "Failed to delete key " + key);
    // The key found on the way down is gone now.
    m_foundPath.clear();
}

std::vector<std::string> SqliteSettingsStore::namesUnder(const std::string& key,
                                                         const char* query) const {
    std::vector<std::string> names;
    try {
        std::optional<long long> id = findKey(key);
        if (!id)
            return names;
        Statement list(m_db, query);
        list.bind(1, *id);
        while (list.step())
            names.push_back(list.bytes(0));
    } catch (const SqliteFailure&) {
        throw readFailed(key);
    }
    return names;
}

std::vector<std::string> SqliteSettingsStore::subkeys(const std::string& key) const {
    return namesUnder(key, "SELECT name FROM keys WHERE parent = ? ORDER BY folded");
}

std::vector<std::string> SqliteSettingsStore::valueNames(const std::string& key) const {
    return namesUnder(key, "SELECT name FROM vals WHERE key = ? ORDER BY id");
}

std::optional<StoredValue> SqliteSettingsStore::value(const std::string& key,
                                                      const std::string& name) const {
    try {
        std::optional<long long> id = findKey(key);
        if (!id)
            return std::nullopt;
        Statement find(m_db, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
        find.bind(1, *id).bind(2, foldName(name));
        if (!find.step())
            return std::nullopt;
        if (find.number(0) == NumberType)
            return StoredValue(static_cast<std::uint32_t>(find.number(1)));
        return StoredValue(find.bytes(1));
    } catch (const SqliteFailure&) {
        throw Error("Failed to get data for '" + name + "'");
    }
}

void SqliteSettingsStore::setValue(const std::string& key, const std::string& name,
                                   const StoredValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    if (text && text->find('\0') != std::string::npos) {
        rollback();
        throw setFailed(name);
    }
    write(
        [&] {
            long long id = makeKey(key);
            // An existing value keeps its place in the order and the case of its name.
            Statement upsert(m_db, "INSERT INTO vals(key, name, folded, type, data)"
                                   " VALUES (?, ?, ?, ?, ?)"
                                   " ON CONFLICT(key, folded) DO UPDATE"
                                   " SET type = excluded.type, data = excluded.data");
            upsert.bind(1, id).bind(2, name).bind(3, foldName(name));
            if (text)
                upsert.bind(4, StringType).bind(5, *text);
            else
                upsert.bind(4, NumberType).bind(5, static_cast<long long>(std::get<0>(value)));
            upsert.step();
        },
        "Failed to set data for '" + name + "'");
}

void SqliteSettingsStore::deleteValue(const std::string& key, const std::string& name) {
    write(
        [&] {
            std::optional<long long> id = findKey(key);
            if (!id)
                return;
            Statement remove(m_db, "DELETE FROM vals WHERE key = ? AND folded = ?");
            remove.bind(1, *id).bind(2, foldName(name));
            remove.step();
        },
        "Failed to delete value '" + name + "'");
}

void SqliteSettingsStore::beginBatch() {
    // The transaction itself starts with the first write, so that a batch on a file that
    // cannot be written fails with that write's name.
    ++m_batchDepth;
}

void SqliteSettingsStore::commit() {
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return;
    if (!m_inTransaction)
        return;
    try {
        execute("COMMIT");
        m_inTransaction = false;
    } catch (const SqliteFailure&) {
        rollback();
        throw Error("Failed to save the settings in " + m_path);
    }
}

std::unique_ptr<SettingsStore> openUserSettingsStore() {
    return std::make_unique<SqliteSettingsStore>(SqliteSettingsStore::userPath());
}

} // namespace marlet
