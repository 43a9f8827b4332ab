#pragma once

#include "InputFieldType.h"
#include "WHashtable.h"
#include "WString.h"

class WControl;
class WWindowContext;

// The choices of a choice field: code text -> display text, in insertion order.
typedef WHashtable<WString, WString, const char*, const WString&> InputValueTable;

// One dialog control bound to a variable of the dialog. The field owns its
// control object (attached to the dialog's item of the field's id); the
// variable and the value table belong to the dialog.
class InputField {
public:
    // Attaches a control of the kind's family to the owner's item id:
    // WControlEdit, WControlComboBox (combo true) or WControlListBox,
    // WControlButton. A control handed in (from a field this one replaces,
    // perhaps of an earlier showing of the dialog) is used when it is of
    // that family and destroyed otherwise.
    InputField(InputFieldType type, void* variable, InputValueTable* valueTable,
               WWindowContext* owner, unsigned long id, bool combo, WControl* previous);
    InputField(const InputField&) = delete;
    InputField& operator=(const InputField&) = delete;
    ~InputField();

    // Variable -> control.
    void updateControl();
    // Control -> variable.
    void updateVariable();
    // Whether the control's content is acceptable; edit controls are painted
    // red when it is not and white again once it is.
    bool validate();

    // Gives up the control object (to the field that replaces this one).
    WControl* releaseControl();

    InputFieldType getType() const { return type; }
    WControl* getControl() const { return control; }
    const WString& getPattern() const { return pattern; }
    void setPattern(const char* regularExpression) { pattern = regularExpression; }
    bool isRequired() const { return required; }

    // A number as the user typed it, read as decimal: leading blanks, an
    // optional sign, then digits up to the first other character. Text
    // without digits reads as 0; a value beyond [lowest, highest] is held at
    // the nearer limit, so that a range check still sees it as too large.
    static long long readDecimal(const char* text, long long lowest, long long highest);
    // True when the Perl-compatible regular expression matches anywhere in
    // text; a pattern that does not compile matches nothing.
    static bool matchesPattern(const char* pattern, const char* text);

private:
    bool isTextValid(const WString& text) const;
    void fillChoices();
    void selectChoice();
    void readChoice();

    InputFieldType type;
    void* variable;
    WControl* control;
    InputValueTable* valueTable;
    WString pattern;
    bool required;
};
