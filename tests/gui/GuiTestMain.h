#pragma once

#include <windows.h>

// The application name the tests start the library with.
constexpr const char* testApplicationName = "QuarnGuiTests";

// What WSystem::getInstance() answered before the library was started.
HINSTANCE instanceSeenBeforeStartup();
