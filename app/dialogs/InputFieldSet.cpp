#include "InputFieldSet.h"

InputFieldSet::InputFieldSet() : owner(nullptr), fields(100) {}

InputFieldSet::~InputFieldSet()
{
    removeAll();
}

void InputFieldSet::attach(WWindowContext* dialog)
{
    removeAll();
    owner = dialog;
}

void InputFieldSet::removeAll()
{
    fields.reset();
    while (fields.hasMoreElements())
        delete fields.nextValue();
    fields.removeAll();
}

void InputFieldSet::add(unsigned long id, InputFieldType type, void* variable,
                        InputValueTable* table, bool combo)
{
    InputField** existing = fields.find(id);
    WControl* previous = existing != nullptr ? (*existing)->releaseControl() : nullptr;
    InputField* field = nullptr;
    try {
        field = new InputField(type, variable, table, owner, id, combo, previous);
    } catch (...) {
        // The old field has given its control away: it goes as well.
        if (existing != nullptr) {
            delete *existing;
            fields.remove(id);
        }
        throw;
    }
    if (existing != nullptr)
        delete *existing;
    fields.put(id, field);
}

void InputFieldSet::addTextField(unsigned long id, WString* variable)
{
    add(id, FIELD_TEXT, variable, nullptr, false);
}

void InputFieldSet::addUnsignedField(unsigned long id, unsigned int* variable)
{
    add(id, FIELD_UNSIGNED, variable, nullptr, false);
}

void InputFieldSet::addIntegerField(unsigned long id, int* variable)
{
    add(id, FIELD_SIGNED, variable, nullptr, false);
}

void InputFieldSet::addCheckField(unsigned long id, bool* variable)
{
    add(id, FIELD_CHECK, variable, nullptr, false);
}

void InputFieldSet::addChoiceByNumber(unsigned long id, int* variable, InputValueTable* table,
                                      bool combo)
{
    add(id, FIELD_CHOICE_BY_NUMBER, variable, table, combo);
}

void InputFieldSet::addChoiceByText(unsigned long id, WString* variable, InputValueTable* table,
                                    bool combo)
{
    add(id, FIELD_CHOICE_BY_TEXT, variable, table, combo);
}

void InputFieldSet::updateControls()
{
    fields.reset();
    while (fields.hasMoreElements())
        fields.nextValue()->updateControl();
}

bool InputFieldSet::validate()
{
    unsigned long invalid = 0;
    fields.reset();
    while (fields.hasMoreElements()) {
        if (!fields.nextValue()->validate())
            ++invalid;
    }
    return invalid == 0;
}

void InputFieldSet::updateVariables()
{
    fields.reset();
    while (fields.hasMoreElements())
        fields.nextValue()->updateVariable();
}

InputField* InputFieldSet::getField(unsigned long id)
{
    InputField** field = fields.find(id);
    return field != nullptr ? *field : nullptr;
}
