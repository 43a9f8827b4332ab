#pragma once

// The kinds of dialog field an InputField binds. The numbers 4 (real
// number), 5 (date) and 6 (keyed text) are kept free for edit fields that
// no dialog of the program needs.
enum InputFieldType {
    FIELD_TEXT = 1,             // WControlEdit and WString
    FIELD_UNSIGNED = 2,         // WControlEdit and unsigned int
    FIELD_SIGNED = 3,           // WControlEdit and int
    FIELD_CHOICE_BY_NUMBER = 7, // combo or list box and int
    FIELD_CHOICE_BY_TEXT = 8,   // combo or list box and WString
    FIELD_CHECK = 9             // check box (WControlButton) and bool
};
