// marlet-reg: reads and writes the settings store; imports and exports .reg files.

#include "ProgramMain.h"
#include "RegArguments.h"
#include "RegCommands.h"
#include "config/SqliteSettingsStore.h"

#include <filesystem>
#include <iostream>
#include <optional>

using namespace marlet;

int main(int argc, char** argv) {
    return runProgram<RegArguments>(
        {"marlet-reg", regUsage()}, argc, argv, [](RegArguments& arguments) {
            std::string path = arguments.registry.value_or(SqliteSettingsStore::userPath());
            // Reading never creates the store: one that is not there yet reads as empty.
            std::optional<SqliteSettingsStore> store;
            if (!arguments.readsOnly())
                store.emplace(path);
            else if (std::filesystem::exists(path))
                store.emplace(path, SqliteSettingsStore::Access::ReadOnly);
            else
                store.emplace(":memory:");
            RegCommands(*store, std::cin, std::cout).run(arguments);
            std::cout.flush();
            return std::cout ? 0 : 1;
        });
}
