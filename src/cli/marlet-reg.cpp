// marlet-reg: reads and writes the settings store; imports and exports .reg files.

#include "ProgramMain.h"
#include "RegArguments.h"
#include "RegCommands.h"
#include "config/SqliteSettingsStore.h"

#include <iostream>

using namespace marlet;

int main(int argc, char** argv) {
    return runProgram<RegArguments>(
        {"marlet-reg", regUsage()}, argc, argv, [](RegArguments& arguments) {
            SqliteSettingsStore store(arguments.registry.value_or(SqliteSettingsStore::userPath()));
            RegCommands(store, std::cin, std::cout).run(arguments);
            std::cout.flush();
            return std::cout ? 0 : 1;
        });
}
