#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "installer/setup/wizard/program_folder.h"

using namespace vortix;

TEST(ProgramFolderName, WhatAFolderCanAndCannotBeCalled) {
    const std::pair<const char*, FolderNameProblem> cases[] = {
        {"Vortix Tools", FolderNameProblem::None},
        {"  Vortix Tools  ", FolderNameProblem::None},  // blanks around it do not count
        {"Vortix\\Tools", FolderNameProblem::None},     // a folder under another
        {"\\Vortix\\", FolderNameProblem::None},
        {"C:\\Menu\\Vortix", FolderNameProblem::None},  // a full path, as a package may give
        {"Ver. 2.0 (beta)", FolderNameProblem::None},
        {"Gr\xFC\xDF"
         "e",
         FolderNameProblem::None},  // Windows-1252 letters
        {"", FolderNameProblem::Empty},
        {"   ", FolderNameProblem::Empty},
        {"\\", FolderNameProblem::Empty},
        {"\\\\", FolderNameProblem::Empty},
        {"a:b", FolderNameProblem::Invalid},
        {"what?", FolderNameProblem::Invalid},
        {"star*", FolderNameProblem::Invalid},
        {"a/b", FolderNameProblem::Invalid},
        {"\"quoted\"", FolderNameProblem::Invalid},
        {"<angle>", FolderNameProblem::Invalid},
        {"pipe|d", FolderNameProblem::Invalid},
        {"tab\there", FolderNameProblem::Invalid},
        {"..", FolderNameProblem::Invalid},  // would climb out of the Programs folder
        {"Vortix\\..\\..\\Up", FolderNameProblem::Invalid},
        {"Vortix\\\\Tools", FolderNameProblem::Invalid},  // an empty folder between
        {"Tools.", FolderNameProblem::Invalid},           // Windows drops the dot
        {"Vortix \\Tools", FolderNameProblem::Invalid},   // and the blank
        {"CON", FolderNameProblem::Invalid},
        {"nul.txt", FolderNameProblem::Invalid},
        {"Vortix\\com1", FolderNameProblem::Invalid},
        {"LPT9", FolderNameProblem::Invalid},
        {"COM10", FolderNameProblem::None},
        {"Console", FolderNameProblem::None},
        {"C:\\Menu\\a?b", FolderNameProblem::Invalid},
    };
    for (const auto& [name, problem] : cases)
        EXPECT_EQ(checkProgramFolderName(name), problem) << '"' << name << '"';
}

TEST(ProgramFolderName, TrimmedAsItIsUsed) {
    EXPECT_EQ(trimmedProgramFolderName("  Vortix\\Tools\\\\ "), "Vortix\\Tools");
    EXPECT_EQ(trimmedProgramFolderName("\\Vortix"), "\\Vortix");
}

TEST(ProgramFolderList, HiddenNamesLeftOutTheRestSortedWithoutCase) {
    std::vector<std::string> listed =
        listedProgramFolders({".", "..", "zeta", ".hidden", "Alpha", "beta", "", "Accessories"});
    EXPECT_EQ(listed, (std::vector<std::string>{"Accessories", "Alpha", "beta", "zeta"}));
}
