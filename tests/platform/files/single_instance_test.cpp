#include "platform/files/single_instance.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace ampliro {
namespace {

TEST(SingleInstanceTest, OnlyOneHolderAtATime) {
    const std::string name = "single_instance_test_" + std::to_string(getpid()) + ".lock";
    SingleInstance first(name), second(name);
    EXPECT_EQ(first.LockPath(), ExecutableFolder() + "/" + name);
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire());  // holding it already
    EXPECT_FALSE(second.Acquire());
    // The holder's process id is in the file for the second copy to signal;
    // a request from our own process is not sent.
    std::ifstream file(first.LockPath());
    long pid = 0;
    file >> pid;
    EXPECT_EQ(pid, static_cast<long>(getpid()));
    EXPECT_FALSE(TakeBringToFrontRequest());
    first.Release();
    EXPECT_TRUE(second.Acquire());
    second.Release();
    std::filesystem::remove(first.LockPath());
}

TEST(SingleInstanceTest, AFolderWithoutRoomForTheLockStillRuns) {
    SingleInstance nowhere("no_such_folder/x.lock");
    EXPECT_TRUE(nowhere.Acquire());
}

}  // namespace
}  // namespace ampliro
