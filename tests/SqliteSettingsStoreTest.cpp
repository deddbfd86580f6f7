#include "config/SqliteSettingsStore.h"

#include "base/Error.h"
#include "config/Settings.h"
#include "support/StoreDump.h"
#include "support/TempFolder.h"

#include "support/MessageOf.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace marlet;
using marlet::testing::messageOf;

namespace {

const std::string Key = MarletKey;

long long pragmaOf(const std::string& path, const std::string& pragma) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, ("PRAGMA " + pragma).c_str(), -1, &statement, nullptr);
    sqlite3_step(statement);
    long long result = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

std::string integrityOf(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
    std::string result = sqlite3_step(statement) == SQLITE_ROW
                             ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
                             : "no answer";
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

/// Sets an environment variable for the life of the object.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvironmentOverride() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class SqliteSettingsStoreTest : public ::testing::Test {
protected:
    TempFolder m_folder;
    std::string m_path = m_folder.file("registry.db");
};

} // namespace

TEST_F(SqliteSettingsStoreTest, NamesMatchWithoutCaseAndKeepTheCaseFirstWritten) {
    SqliteSettingsStore store(m_path);
    store.setValue(Key, "TimeOut", 3u);
    store.setValue("\\software\\TUVO\\marlet", "TIMEOUT", 5u);
    store.setValue(Key + "\\Sequences\\Эпсон", "Bold",
                   std::string("\x1B"
                               "E"));
    store.setValue(Key + "\\SEQUENCES\\эПСОН", "BOLD",
                   std::string("\x1B"
                               "G"));

    EXPECT_EQ(store.valueNames(Key), std::vector<std::string>{"TimeOut"});
    EXPECT_EQ(store.value("\\SOFTWARE\\tuvo\\MARLET", "timeout"), StoredValue(5u));
    EXPECT_EQ(store.subkeys("\\software"), std::vector<std::string>{"Tuvo"});
    EXPECT_EQ(store.subkeys(Key + "\\sequences"), std::vector<std::string>{"Эпсон"});
    EXPECT_EQ(store.valueNames(Key + "\\Sequences\\ЭПСОН"), std::vector<std::string>{"Bold"});
    EXPECT_EQ(store.value(Key + "\\Sequences\\эпсон", "bold"), StoredValue("\x1B"
                                                                           "G"));
}

TEST_F(SqliteSettingsStoreTest, KeyPathsIgnoreDoubledAndTrailingBackslashes) {
    SqliteSettingsStore store(m_path);
    store.createKey("\\SOFTWARE\\\\Tuvo\\Marlet\\");
    EXPECT_TRUE(store.keyExists(Key));
    EXPECT_TRUE(store.keyExists("SOFTWARE\\Tuvo"));
    EXPECT_TRUE(store.keyExists("\\"));
}

TEST_F(SqliteSettingsStoreTest, SubkeysAreListedInUpperCaseOrder) {
    SqliteSettingsStore store(m_path);
    for (const char* name : {"b", "_x", "Б", "A", "а", "c", "Ё"})
        store.createKey(Key + "\\Sequences\\" + name);
    // "_" sorts after the letters as the registry compares upper-case names; Cyrillic Ё
    // (U+0401) comes before А (U+0410).
    EXPECT_EQ(store.subkeys(Key + "\\Sequences"),
              (std::vector<std::string>{"A", "b", "c", "_x", "Ё", "а", "Б"}));
}

TEST_F(SqliteSettingsStoreTest, ValuesKeepTheOrderTheyWereMadeIn) {
    SqliteSettingsStore store(m_path);
    store.setValue(Key, "Spool", std::string("c:\\prnspl"));
    store.setValue(Key, "AutoPrint", 1u);
    store.setValue(Key, "TimeOut", 3u);
    store.setValue(Key, "autoprint", 0u);
    EXPECT_EQ(store.valueNames(Key), (std::vector<std::string>{"Spool", "AutoPrint", "TimeOut"}));

    store.deleteValue(Key, "SPOOL");
    store.setValue(Key, "spool", std::string("d:\\queue"));
    EXPECT_EQ(store.valueNames(Key), (std::vector<std::string>{"AutoPrint", "TimeOut", "spool"}));
}

TEST_F(SqliteSettingsStoreTest, KeepsNumbersAndEveryNonZeroByteAcrossReopening) {
    std::string allBytes;
    for (int byte = 1; byte < 256; ++byte)
        allBytes.push_back(static_cast<char>(byte));
    {
        SqliteSettingsStore store(m_path);
        store.setValue(Key, "Largest", 0xFFFFFFFFu);
        store.setValue(Key, "Zero", 0u);
        store.setValue(Key, "Bytes", allBytes);
        store.setValue(Key, "Empty", std::string());
        store.setValue(Key, "", std::string("default"));
        store.setValue(Key, "Changes", std::string("text"));
        store.setValue(Key, "Changes", 7u);
    }
    SqliteSettingsStore store(m_path);
    EXPECT_EQ(store.value(Key, "Largest"), StoredValue(0xFFFFFFFFu));
    EXPECT_EQ(store.value(Key, "Zero"), StoredValue(0u));
    EXPECT_EQ(store.value(Key, "Bytes"), StoredValue(allBytes));
    EXPECT_EQ(store.value(Key, "Empty"), StoredValue(std::string()));
    EXPECT_EQ(store.value(Key, ""), StoredValue(std::string("default")));
    EXPECT_EQ(store.value(Key, "Changes"), StoredValue(7u));
}

TEST_F(SqliteSettingsStoreTest, TypedReadsNameTheValueOfTheWrongType) {
    SqliteSettingsStore store(m_path);
    store.setValue(Key, "TimeOut", std::string("3"));
    store.setValue(Key, "Spool", 3u);
    EXPECT_EQ(messageOf([&] { readNumber(store, Key, "TimeOut"); }),
              "Invalid data type for 'TimeOut'");
    EXPECT_EQ(messageOf([&] { readString(store, Key, "Spool"); }), "Invalid data type for 'Spool'");
    EXPECT_EQ(readNumber(store, Key, "Spool"), 3u);
    EXPECT_EQ(readNumber(store, Key, "Absent"), std::nullopt);
}

TEST_F(SqliteSettingsStoreTest, ReadingNeverCreatesAKey) {
    SqliteSettingsStore store(m_path);
    EXPECT_FALSE(store.keyExists(Key));
    EXPECT_EQ(store.value(Key, "TimeOut"), std::nullopt);
    EXPECT_TRUE(store.subkeys(Key).empty());
    EXPECT_TRUE(store.valueNames(Key).empty());
    EXPECT_FALSE(store.keyExists("\\SOFTWARE"));
}

TEST_F(SqliteSettingsStoreTest, DeletingAKeyTakesEverythingBelowIt) {
    SqliteSettingsStore store(m_path);
    store.setValue(Key, "TimeOut", 3u);
    store.setValue(Key + "\\Sequences\\FX", "Bold",
                   std::string("\x1B"
                               "E"));
    store.setValue(Key + "\\InitStr", "Reset", std::string("\x1B@"));
    store.deleteKey(Key + "\\sequences");
    store.deleteKey(Key + "\\Absent");

    EXPECT_EQ(store.subkeys(Key), std::vector<std::string>{"InitStr"});
    EXPECT_FALSE(store.keyExists(Key + "\\Sequences\\FX"));
    EXPECT_EQ(store.value(Key, "TimeOut"), StoredValue(3u));

    store.deleteKey("\\");
    EXPECT_EQ(dumpStore(store), "[\\]\n");
}

TEST_F(SqliteSettingsStoreTest, RefusesWritesItCannotMake) {
    {
        SqliteSettingsStore store(m_path);
        store.setValue(Key, "TimeOut", 3u);
        // Registry strings end at a zero byte: such a string cannot be stored.
        EXPECT_EQ(messageOf([&] { store.setValue(Key, "Bold", std::string("\x1B\0E", 3)); }),
                  "Failed to set data for 'Bold'");
        EXPECT_EQ(store.value(Key, "Bold"), std::nullopt);
    }
    SqliteSettingsStore readOnly(m_path, SqliteSettingsStore::Access::ReadOnly);
    EXPECT_EQ(messageOf([&] { readOnly.setValue(Key, "TimeOut", 5u); }),
              "Failed to set data for 'TimeOut'");
    EXPECT_EQ(messageOf([&] { readOnly.createKey(Key + "\\Sequences"); }),
              "Failed to create key \\SOFTWARE\\Tuvo\\Marlet\\Sequences");
    readOnly.beginBatch();
    EXPECT_EQ(messageOf([&] { readOnly.setValue(Key, "AutoPrint", 1u); }),
              "Failed to set data for 'AutoPrint'");
    readOnly.commit();
    EXPECT_EQ(readOnly.value(Key, "TimeOut"), StoredValue(3u));
}

TEST_F(SqliteSettingsStoreTest, OpeningFailsForAFileThatIsNoStore) {
    std::ofstream(m_path) << "c:\\prnspl is a queue file, not a registry\n";
    EXPECT_EQ(messageOf([&] { SqliteSettingsStore store(m_path); }), "Cannot open file " + m_path);
    const std::string missing = m_folder.file("absent.db");
    EXPECT_EQ(messageOf([&] {
                  SqliteSettingsStore store(missing, SqliteSettingsStore::Access::ReadOnly);
              }),
              "Cannot open file " + missing + ": No such file or directory");
}

TEST_F(SqliteSettingsStoreTest, KeepsItsSchemaVersionAndRefusesANewerOne) {
    { SqliteSettingsStore store(m_path); }
    EXPECT_EQ(pragmaOf(m_path, "user_version"), SqliteSettingsStore::SchemaVersion);
    {
        sqlite3* db = nullptr;
        sqlite3_open(m_path.c_str(), &db);
        sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_EQ(messageOf([&] { SqliteSettingsStore store(m_path); }),
              "The settings store " + m_path + " has version 2, newer than this program's 1");
}

TEST_F(SqliteSettingsStoreTest, ABatchIsOneTransaction) {
    SqliteSettingsStore store(m_path);
    store.setValue(Key, "TimeOut", 3u);
    store.beginBatch();
    store.setValue(Key, "TimeOut", 4u);
    store.setValue(Key, "AutoPrint", 0u);
    EXPECT_EQ(store.value(Key, "TimeOut"), StoredValue(4u));
    {
        // Another connection sees nothing of the batch until it is committed.
        SqliteSettingsStore other(m_path, SqliteSettingsStore::Access::ReadOnly);
        EXPECT_EQ(other.value(Key, "TimeOut"), StoredValue(3u));
    }
    store.commit();
    SqliteSettingsStore other(m_path, SqliteSettingsStore::Access::ReadOnly);
    EXPECT_EQ(other.value(Key, "TimeOut"), StoredValue(4u));
    EXPECT_EQ(other.value(Key, "AutoPrint"), StoredValue(0u));
}

TEST_F(SqliteSettingsStoreTest, AFailedWriteOrAnUnfinishedBatchLeavesNothing) {
    {
        SqliteSettingsStore store(m_path);
        store.beginBatch();
        store.setValue(Key, "TimeOut", 4u);
        EXPECT_THROW(store.setValue(Key, "Bold", std::string("\0", 1)), Error);
        store.commit();
        EXPECT_EQ(store.value(Key, "TimeOut"), std::nullopt);

        store.beginBatch();
        store.setValue(Key, "AutoPrint", 1u);
    }
    SqliteSettingsStore store(m_path);
    EXPECT_EQ(dumpStore(store), "[\\]\n");
}

TEST_F(SqliteSettingsStoreTest, FindsTheUsersDatabase) {
    {
        EnvironmentOverride named("MARLET_REGISTRY", "/srv/marlet/shared.db");
        EXPECT_EQ(SqliteSettingsStore::userPath(), "/srv/marlet/shared.db");
    }
    EnvironmentOverride named("MARLET_REGISTRY", nullptr);
    EnvironmentOverride home("HOME", "/home/clerk");
    {
        EnvironmentOverride config("XDG_CONFIG_HOME", "/etc/clerk");
        EXPECT_EQ(SqliteSettingsStore::userPath(), "/etc/clerk/marlet/registry.db");
    }
    {
        EnvironmentOverride config("XDG_CONFIG_HOME", "relative");
        EXPECT_EQ(SqliteSettingsStore::userPath(), "/home/clerk/.config/marlet/registry.db");
    }
    EnvironmentOverride config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(SqliteSettingsStore::userPath(), "/home/clerk/.config/marlet/registry.db");
}

TEST_F(SqliteSettingsStoreTest, TheUsersStoreIsMadeWithItsFolders) {
    const std::string path = m_folder.file("config/marlet/registry.db");
    EnvironmentOverride named("MARLET_REGISTRY", path.c_str());
    openUserSettingsStore()->setValue(Key, "TimeOut", 3u);
    EXPECT_EQ(SqliteSettingsStore(path).value(Key, "TimeOut"), StoredValue(3u));
}

TEST(SqliteSettingsStoreMemory, LivesAsLongAsTheObject) {
    SqliteSettingsStore store(":memory:");
    store.setValue(Key, "TimeOut", 3u);
    EXPECT_EQ(store.value(Key, "TimeOut"), StoredValue(3u));
}

namespace {

/// A pipe the child writes one byte into when it has reached the point to be killed at.
class Signal {
public:
    Signal() {
        if (pipe(m_ends) != 0)
            throw std::runtime_error("pipe");
    }
    ~Signal() {
        close(m_ends[0]);
        close(m_ends[1]);
    }
    void raise() const { (void)!write(m_ends[1], "!", 1); }
    bool wait() const {
        char byte;
        return read(m_ends[0], &byte, 1) == 1;
    }

private:
    int m_ends[2];
};

/// Runs body in a child process that stays alive until it is killed.
pid_t runChild(const std::function<void()>& body, const Signal& never) {
    pid_t pid = fork();
    if (pid == 0) {
        try {
            body();
        } catch (...) {
            _exit(3);
        }
        never.wait();
        _exit(0);
    }
    return pid;
}

void killChild(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

// The twenty-two settings as saveSettings writes them, each with a value of its generation.
void saveAll(SettingsStore& store, std::uint32_t generation) {
    for (const SettingField& field : settingFields()) {
        if (field.kind == SettingKind::Text)
            store.setValue(Key, field.name, field.name + std::to_string(generation));
        else
            store.setValue(Key, field.name, generation);
    }
}

void expectAll(const SettingsStore& store, std::uint32_t generation) {
    for (const SettingField& field : settingFields()) {
        if (field.kind == SettingKind::Text)
            EXPECT_EQ(store.value(Key, field.name),
                      StoredValue(field.name + std::to_string(generation)))
                << field.name;
        else
            EXPECT_EQ(store.value(Key, field.name), StoredValue(generation)) << field.name;
    }
}

} // namespace

TEST_F(SqliteSettingsStoreTest, AProcessKilledBeforeCommitLeavesTheOldSettings) {
    {
        SqliteSettingsStore store(m_path);
        saveAll(store, 1);
    }
    Signal written, never;
    pid_t child = runChild(
        [&] {
            SqliteSettingsStore store(m_path);
            store.beginBatch();
            saveAll(store, 2);
            written.raise();
        },
        never);
    ASSERT_TRUE(written.wait());
    killChild(child);

    SqliteSettingsStore store(m_path);
    expectAll(store, 1);
    EXPECT_EQ(integrityOf(m_path), "ok");
}

TEST_F(SqliteSettingsStoreTest, AProcessKilledAfterCommitLeavesTheNewSettings) {
    {
        SqliteSettingsStore store(m_path);
        saveAll(store, 1);
    }
    Signal committed, never;
    pid_t child = runChild(
        [&] {
            SqliteSettingsStore store(m_path);
            store.beginBatch();
            saveAll(store, 2);
            store.commit();
            committed.raise();
        },
        never);
    ASSERT_TRUE(committed.wait());
    killChild(child);

    SqliteSettingsStore store(m_path);
    expectAll(store, 2);
}

TEST_F(SqliteSettingsStoreTest, AProcessKilledAmidSingleWritesLeavesAWholeFile) {
    constexpr std::uint32_t SignalAfter = 50;
    Signal started, never;
    pid_t child = runChild(
        [&] {
            SqliteSettingsStore store(m_path);
            for (std::uint32_t i = 0; i < 10'000'000; ++i) {
                store.setValue(Key + "\\Written", "V" + std::to_string(i), i);
                if (i + 1 == SignalAfter)
                    started.raise();
            }
        },
        never);
    ASSERT_TRUE(started.wait());
    killChild(child);

    EXPECT_EQ(integrityOf(m_path), "ok");
    SqliteSettingsStore store(m_path);
    std::vector<std::string> names = store.valueNames(Key + "\\Written");
    ASSERT_GE(names.size(), SignalAfter);
    // Every write is whole and none is missing before the last one made.
    for (std::uint32_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(names[i], "V" + std::to_string(i));
        ASSERT_EQ(store.value(Key + "\\Written", names[i]), StoredValue(i));
    }
    store.setValue(Key, "TimeOut", 3u);
    EXPECT_EQ(store.value(Key, "TimeOut"), StoredValue(3u));
}

TEST_F(SqliteSettingsStoreTest, TheFileAndItsFoldersAreTheUsersAlone) {
    TempFolder folder;
    std::string path = folder.file("config/marlet/registry.db");
    mode_t old = umask(022);
    {
        SqliteSettingsStore store(path);
        store.setValue(Key, "FontSize", std::uint32_t{12});
    }
    umask(old);
    auto modeOf = [](const std::filesystem::path& file) {
        return std::filesystem::status(file).permissions() & std::filesystem::perms::all;
    };
    using std::filesystem::perms;
    EXPECT_EQ(modeOf(path), perms::owner_read | perms::owner_write);
    EXPECT_EQ(modeOf(folder.file("config/marlet")), perms::owner_all);
    EXPECT_EQ(modeOf(folder.file("config")), perms::owner_all);
}

TEST_F(SqliteSettingsStoreTest, AKeyRemadeByAnotherProgramIsFoundAfresh) {
    TempFolder folder;
    std::string path = folder.file("registry.db");
    SqliteSettingsStore resident(path);
    SqliteSettingsStore other(path);
    const std::string deep = Key + "\\Sequences\\Epson";
    resident.setValue(deep, "Bold",
                      std::string("\x1B"
                                  "E"));
    EXPECT_EQ(resident.value(deep, "Bold"), StoredValue(std::string("\x1B"
                                                                    "E")));
    // Another program removes the key and makes others, which may take its old row ids.
    other.deleteKey(Key + "\\Sequences");
    other.setValue(Key + "\\Other\\Key", "x", std::uint32_t{1});
    other.setValue(deep, "Italic",
                   std::string("\x1B"
                               "4"));
    EXPECT_EQ(resident.valueNames(deep), std::vector<std::string>{"Italic"});
    EXPECT_FALSE(resident.value(deep, "Bold"));
    // Its own removal, and a batch of its own that is rolled back, leave no key to be found.
    resident.deleteKey(deep);
    EXPECT_FALSE(resident.keyExists(deep));
    EXPECT_TRUE(resident.keyExists(Key + "\\Sequences"));
    resident.beginBatch();
    resident.createKey(Key + "\\Gone\\Soon");
    EXPECT_TRUE(resident.keyExists(Key + "\\Gone\\Soon"));
    EXPECT_THROW(resident.setValue(Key + "\\Gone\\Soon", "z", std::string("a\0b", 3)), Error);
    EXPECT_FALSE(resident.keyExists(Key + "\\Gone\\Soon"));
}
