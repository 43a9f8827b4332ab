#pragma once

// Every exported class of quarn2 is declared with QUARN2_API: the library
// builds with QUARN2_BUILD defined and exports, its users import.
#ifdef QUARN2_BUILD
#define QUARN2_API __declspec(dllexport)
#else
#define QUARN2_API __declspec(dllimport)
#endif
