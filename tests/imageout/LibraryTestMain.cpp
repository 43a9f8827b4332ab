// Entry of the image-output tests that draw maps: the library (with GDI+)
// is started once for the run.
#include <windows.h>

#include <gtest/gtest.h>

#include "WSystem.h"

namespace {
class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSystem::startup("OrvexImageOutputTests", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("imageout"), SW_SHOWNORMAL, 0);
    }
    void TearDown() override { WSystem::shutdown(); }
};
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);
    return RUN_ALL_TESTS();
}
