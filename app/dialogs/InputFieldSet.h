#pragma once

#include "InputField.h"
#include "WHashtable.h"
#include "WString.h"

class WWindowContext;

// The fields of one dialog by control id, in the order they were added.
// The dialog attaches the set when it is constructed, adds its fields once
// its window exists, fills the controls with updateControls and, on
// confirmation, calls validate and (only when that holds) updateVariables
// before its own range checks. Every pass follows the order of adding.
class InputFieldSet {
public:
    InputFieldSet();
    InputFieldSet(const InputFieldSet&) = delete;
    InputFieldSet& operator=(const InputFieldSet&) = delete;
    ~InputFieldSet();

    // Drops every field and records the dialog whose controls the fields use.
    void attach(WWindowContext* owner);

    // Each binds the owner's control id to the variable (not owned). A field
    // already registered under the id is replaced (it keeps its place in the
    // order). Choice fields list the table's display texts and store the code:
    // as a number (by number) or as the text (by text); combo true uses a
    // combo box, false a list box.
    void addTextField(unsigned long id, WString* variable);
    void addUnsignedField(unsigned long id, unsigned int* variable);
    void addIntegerField(unsigned long id, int* variable);
    void addCheckField(unsigned long id, bool* variable);
    void addChoiceByNumber(unsigned long id, int* variable, InputValueTable* table, bool combo);
    void addChoiceByText(unsigned long id, WString* variable, InputValueTable* table, bool combo);

    // Variables -> controls.
    void updateControls();
    // Checks every field (all of them, so that every wrong one turns red);
    // true when all are valid.
    bool validate();
    // Controls -> variables.
    void updateVariables();

    // The field of a control id, or null.
    InputField* getField(unsigned long id);
    unsigned long size() const { return fields.size(); }

private:
    void add(unsigned long id, InputFieldType type, void* variable, InputValueTable* table,
             bool combo);
    void removeAll();

    WWindowContext* owner;
    WHashtable<unsigned long, InputField*, unsigned long, InputField*> fields;
};
