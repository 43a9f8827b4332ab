// Entry of the map tests: the library (with GDI+) is started once for the run.
#include <windows.h>

#include <gtest/gtest.h>

#include "WSystem.h"

namespace {
class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSystem::startup("OrvexMapTests", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("map_tests"), SW_SHOWNORMAL, CS_DBLCLKS);
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
