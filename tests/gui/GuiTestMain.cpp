// Entry of the window tests: the library is started once for the whole run,
// after recording what it reported before start-up.

#include <windows.h>

#include <gtest/gtest.h>

#include "GuiTestMain.h"
#include "WException.h"
#include "WSystem.h"

namespace {
HINSTANCE instanceBeforeStartup = reinterpret_cast<HINSTANCE>(1);

class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSystem::startup(testApplicationName, GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("gui_tests --run"), SW_SHOWNORMAL);
    }
    void TearDown() override { WSystem::shutdown(); }
};
}

HINSTANCE instanceSeenBeforeStartup()
{
    return instanceBeforeStartup;
}

int main(int argc, char** argv)
{
    instanceBeforeStartup = WSystem::getInstance();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);
    return RUN_ALL_TESTS();
}
