#pragma once

#include "InputField.h"

// The data sets the user can choose: file path -> name shown, in the order
// offered. One table for the whole process, made empty on first use and
// released at exit; only the window thread touches it.
class DataSetCatalogue {
public:
    static InputValueTable& getTable();
    // Puts the data sets offered to the user (an entry already there only
    // gets its name set again): HADCRUT4, HADCRUT3, ABS1960_91.
    static void fill();
};
