#include "config/LanguageList.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace marlet;

namespace {

void touch(const TempFolder& folder, const std::string& name) {
    std::ofstream(folder.file(name)) << "Title=x\n";
}

// The folder's own order is the file system's; compare as sets.
std::vector<std::string> sorted(std::vector<std::string> names) {
    std::ranges::sort(names);
    return names;
}

} // namespace

TEST(LanguageList, NamesAreTheLngFilesUpToTheirFirstDot) {
    TempFolder folder;
    for (const char* name : {"Русский.lng", "x.y.lng", "English.lng.txt", "notes.txt", "866.cp"})
        touch(folder, name);
    // A folder is offered like a file, as the code page list does; loading it then fails.
    std::filesystem::create_directory(folder.file("Old.lng"));
    EXPECT_EQ(sorted(listLanguages(folder.file(""))),
              (std::vector<std::string>{"Old", "x", "Русский"}));
}

TEST(LanguageList, EmptyOrMissingFolderOffersNoLanguage) {
    TempFolder folder;
    EXPECT_TRUE(listLanguages(folder.file("")).empty());
    EXPECT_TRUE(listLanguages(folder.file("missing")).empty());
}

TEST(LanguageList, ShippedDataOffersRussianAndEnglish) {
    EXPECT_EQ(sorted(listLanguages(MARLET_DATA_DIR)),
              (std::vector<std::string>{"English", "Русский"}));
}

TEST(LanguageList, PickedNameLoadsThatNameWithTheExtension) {
    EXPECT_EQ(languageFileName("Русский"), "Русский.lng");
    // "x.y.lng" is listed as "x"; picking it asks for "x.lng", which may not exist.
    EXPECT_EQ(languageFileName("x"), "x.lng");
}
