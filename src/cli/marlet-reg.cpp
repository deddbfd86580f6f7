// marlet-reg: reads and writes the settings store; imports and exports .reg files.

#include "RegArguments.h"
#include "RegCommands.h"
#include "config/SqliteSettingsStore.h"

#include <cstdio>
#include <iostream>

using namespace marlet;

int main(int argc, char** argv) {
    RegArguments arguments;
    try {
        arguments = RegArguments::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const RegUsageError& e) {
        std::fprintf(stderr, "marlet-reg: %s\n%s", e.what(), regUsage());
        return 2;
    }
    if (arguments.help) {
        std::fputs(regUsage(), stdout);
        return 0;
    }
    try {
        SqliteSettingsStore store(arguments.registry.value_or(SqliteSettingsStore::userPath()));
        RegCommands(store, std::cin, std::cout).run(arguments);
        std::cout.flush();
        return std::cout ? 0 : 1;
    } catch (const RegUsageError& e) {
        std::fprintf(stderr, "marlet-reg: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
