#include <gtest/gtest.h>

#include "platform/resources/resources.h"
#include "test_pictures.h"

namespace ampliro {

const ResourceModule& TestPictureModule();

namespace {

TEST(ResourceTableTest, EmbeddedFilesAreFoundByTypeAndNumberByteForByte) {
    const ResourceModule& module = TestPictureModule();
    EXPECT_EQ(module.Entries().size(), 4u);
    const struct {
        const char* type;
        int number;
        const char* file;
    } expected[] = {{kResourceGif, 140, "picture.jpg"},
                    {RT_BITMAP, 102, "picture24.bmp"},
                    {RT_BITMAP, 105, "grey8.bmp"},
                    {kResourceWave, 7, "picture.ppm"}};
    for (const auto& e : expected) {
        const ResourceEntry* entry = module.Find(e.type, e.number);
        ASSERT_NE(entry, nullptr) << e.file;
        const std::vector<uint8_t> bytes = testing::ReadFile(testing::TestData(e.file));
        ASSERT_EQ(entry->size, bytes.size()) << e.file;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), entry->data)) << e.file;
    }
    EXPECT_EQ(module.Find(kResourceGif, 102), nullptr);
    EXPECT_EQ(module.Find("GIF ", 140), nullptr);
    EXPECT_EQ(module.Find(kResourceSysFont, 1), nullptr);
}

TEST(ResourceTableTest, TheProgramModuleIsReachable) {
    const ResourceModule& program = ProgramModule();
    EXPECT_EQ(&ModuleOrProgram(nullptr), &program);
    EXPECT_EQ(&ModuleOrProgram(&TestPictureModule()), &TestPictureModule());
}

}  // namespace
}  // namespace ampliro
