// Exceptions thrown inside quarn2.dll are caught by their own types in the
// program. That needs the exception classes' type information exported from
// the DLL and one C++ runtime (libstdc++-6.dll, libgcc_s_seh-1.dll) shared by
// the DLL and the executable; a module that links the runtime statically
// would carry its own copy.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "WException.h"
#include "WFile.h"

namespace {
// True when the loaded module's import table names the DLL.
bool importsDll(HMODULE module, const char* dllName)
{
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return false;
    auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; entry->Name != 0; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dllName) == 0)
            return true;
    }
    return false;
}
}

TEST(DllBoundaryTest, LibraryExceptionIsCaughtByItsType)
{
    WFile file;
    EXPECT_THROW(file.open("does-not-exist.txt", 1UL), WFileNotFoundException);

    try {
        file.open("does-not-exist.txt", 1UL);
        ADD_FAILURE() << "opening a missing file did not throw";
    } catch (const WException& e) {
        EXPECT_NE(nullptr, dynamic_cast<const WFileNotFoundException*>(&e))
            << "caught through the base class, but it is no WFileNotFoundException";
        EXPECT_STREQ("WFileNotFoundException", e.getName());
        EXPECT_EQ(-1, e.getId());
        EXPECT_EQ("File not found: does-not-exist.txt",
                  std::string(static_cast<const char*>(e.getMessage()), e.getMessage().length()));
    }
}

TEST(DllBoundaryTest, LibraryAndProgramShareOneCppRuntime)
{
    HMODULE library = GetModuleHandleA("quarn2.dll");
    ASSERT_NE(nullptr, library) << "the test is not linked against quarn2.dll";
    HMODULE program = GetModuleHandleA(nullptr);
    for (const char* runtime : {"libstdc++-6.dll", "libgcc_s_seh-1.dll"}) {
        EXPECT_TRUE(importsDll(library, runtime)) << "quarn2.dll does not import " << runtime;
        EXPECT_TRUE(importsDll(program, runtime)) << "the test program does not import " << runtime;
    }
}
