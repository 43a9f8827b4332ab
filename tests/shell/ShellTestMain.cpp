// Entry of the application shell's in-process tests: the library is started
// once for the whole run, as the program starts it.

#include <windows.h>

#include <gtest/gtest.h>

#include "WSystem.h"

namespace {
class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSystem::startup("OrvexShellTests", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("shell_tests"), SW_SHOWNORMAL);
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
