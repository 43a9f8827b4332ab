#include "WSorter.h"

// Out of line so that the class's table and type information live in the
// library and derived classes in the program link against them.
WSorter::~WSorter() = default;
