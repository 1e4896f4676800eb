// A real kill, at a random moment, of a process that keeps saving: the data file is
// always one complete book or the other, never a mix. (POSIX only: it forks.)
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "addressbook/model/data_file.h"
#include "addressbook/model/data_format.h"
#include "tests/support/book_builder.h"
#include "tests/support/temp_dir.h"

using namespace ctlite;

TEST(KilledSave, LeavesOneWholeBook) {
    testing_support::TempDir dir;
    const std::string path = dir.file("data.dat");
    const AddressBook a = testing_support::generatedBook(20000, 3, 1);
    const AddressBook b = testing_support::generatedBook(15000, 4, 2);
    const std::string imageA = dataformat::fileImage(a), imageB = dataformat::fileImage(b);
    ASSERT_FALSE(DataFile(platform::systemFileSystem(), path).save(a));

    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            DataFile file(platform::systemFileSystem(), path);
            for (int i = 0;; ++i)
                file.save(i % 2 ? a : b);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 30000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        std::string now = testing_support::readBytes(path);
        EXPECT_TRUE(now == imageA || now == imageB)
            << "round " << round << ": " << now.size() << " bytes";
    }
}
