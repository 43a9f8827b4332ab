#include "InputField.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include <pcre.h>

#include "WControlButton.h"
#include "WControlComboBox.h"
#include "WControlEdit.h"
#include "WControlListBox.h"

namespace {

const unsigned long invalidBackground = 0x0000FF; // red
const unsigned long validBackground = 0xFFFFFF;
const unsigned long noItem = static_cast<unsigned long>(-1);

WControl* makeControl(InputFieldType type, bool combo)
{
    switch (type) {
    case FIELD_TEXT:
    case FIELD_UNSIGNED:
    case FIELD_SIGNED: return new WControlEdit();
    case FIELD_CHOICE_BY_NUMBER:
    case FIELD_CHOICE_BY_TEXT:
        if (combo)
            return new WControlComboBox();
        return new WControlListBox();
    case FIELD_CHECK: return new WControlButton();
    }
    return nullptr;
}

bool fitsType(WControl* control, InputFieldType type, bool combo)
{
    switch (type) {
    case FIELD_TEXT:
    case FIELD_UNSIGNED:
    case FIELD_SIGNED:
        return dynamic_cast<WControlEdit*>(control) != nullptr && control->isTextControl();
    case FIELD_CHOICE_BY_NUMBER:
    case FIELD_CHOICE_BY_TEXT:
        if (combo)
            return dynamic_cast<WControlComboBox*>(control) != nullptr;
        return dynamic_cast<WControlListBox*>(control) != nullptr;
    case FIELD_CHECK: return dynamic_cast<WControlButton*>(control) != nullptr;
    }
    return false;
}

void* numberAsItemData(long long value)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(value));
}

int itemDataAsNumber(void* data)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(data));
}

} // namespace

InputField::InputField(InputFieldType type, void* variable, InputValueTable* valueTable,
                       WWindowContext* owner, unsigned long id, bool combo, WControl* previous)
    : type(type), variable(variable), control(nullptr), valueTable(valueTable),
      required(type == FIELD_TEXT)
{
    if (previous != nullptr && fitsType(previous, type, combo)) {
        control = previous;
    } else {
        // A control of another family gives its item window up with it; the
        // new control then cannot attach and reports that.
        delete previous;
        control = makeControl(type, combo);
    }
    // A control taken over keeps its window, or, when the dialog has been
    // shown before, attaches to the new dialog's item.
    try {
        control->create(owner, WFormattedString("#%lu", id), id);
    } catch (...) {
        delete control;
        throw;
    }
}

InputField::~InputField()
{
    delete control;
}

WControl* InputField::releaseControl()
{
    WControl* released = control;
    control = nullptr;
    return released;
}

long long InputField::readDecimal(const char* text, long long lowest, long long highest)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Beyond this every value is out of any 32-bit range; keep counting
    // digits without growing further.
    const unsigned long long cap = 1ULL << 40;
    unsigned long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude < cap)
            magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
    }
    if (magnitude > cap)
        magnitude = cap;
    long long value =
        negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (value < lowest)
        return lowest;
    if (value > highest)
        return highest;
    return value;
}

bool InputField::matchesPattern(const char* pattern, const char* text)
{
    const char* error = nullptr;
    int errorOffset = 0;
    pcre* compiled = pcre_compile(pattern, 0, &error, &errorOffset, nullptr);
    if (compiled == nullptr)
        return false;
    int vector[30];
    int result =
        pcre_exec(compiled, nullptr, text, static_cast<int>(std::strlen(text)), 0, 0, vector, 30);
    pcre_free(compiled);
    return result > 0;
}

void InputField::updateControl()
{
    switch (type) {
    case FIELD_TEXT:
        static_cast<WControlEdit*>(control)->setText(*static_cast<WString*>(variable));
        break;
    case FIELD_UNSIGNED:
        static_cast<WControlEdit*>(control)->setText(
            WFormattedString("%u", *static_cast<unsigned int*>(variable)));
        break;
    case FIELD_SIGNED:
        static_cast<WControlEdit*>(control)->setText(
            WFormattedString("%i", *static_cast<int*>(variable)));
        break;
    case FIELD_CHOICE_BY_NUMBER:
    case FIELD_CHOICE_BY_TEXT:
        fillChoices();
        selectChoice();
        break;
    case FIELD_CHECK:
        static_cast<WControlButton*>(control)->setChecked(*static_cast<bool*>(variable));
        break;
    }
}

void InputField::updateVariable()
{
    WString text;
    switch (type) {
    case FIELD_TEXT:
        static_cast<WControlEdit*>(control)->getText(*static_cast<WString*>(variable));
        break;
    case FIELD_UNSIGNED:
        static_cast<WControlEdit*>(control)->getText(text);
        *static_cast<unsigned int*>(variable) =
            static_cast<unsigned int>(readDecimal(text, 0, UINT_MAX));
        break;
    case FIELD_SIGNED:
        static_cast<WControlEdit*>(control)->getText(text);
        *static_cast<int*>(variable) = static_cast<int>(readDecimal(text, INT_MIN, INT_MAX));
        break;
    case FIELD_CHOICE_BY_NUMBER:
    case FIELD_CHOICE_BY_TEXT: readChoice(); break;
    case FIELD_CHECK:
        *static_cast<bool*>(variable) = static_cast<WControlButton*>(control)->isChecked();
        break;
    }
}

bool InputField::isTextValid(const WString& text) const
{
    switch (type) {
    case FIELD_TEXT:
        if (text.length() == 0)
            return !required;
        break;
    case FIELD_UNSIGNED:
    case FIELD_SIGNED:
        if (readDecimal(text, INT_MIN, UINT_MAX) == 0)
            return !required;
        break;
    default: return true;
    }
    return pattern.length() == 0 || matchesPattern(pattern, text);
}

bool InputField::validate()
{
    if (type != FIELD_TEXT && type != FIELD_UNSIGNED && type != FIELD_SIGNED)
        return true;
    WControlEdit* edit = static_cast<WControlEdit*>(control);
    WString text;
    edit->getText(text);
    bool valid = isTextValid(text);
    if (edit->isTextControl()) {
        if (!valid) {
            edit->setColor(0, invalidBackground);
            InvalidateRect(edit->getWindowHandle(), nullptr, TRUE);
        } else if (edit->getBackColor() == invalidBackground) {
            edit->setColor(0, validBackground);
            InvalidateRect(edit->getWindowHandle(), nullptr, TRUE);
        }
    }
    return valid;
}

void InputField::fillChoices()
{
    WControlStringList* list = static_cast<WControlStringList*>(control);
    list->removeAll();
    if (valueTable == nullptr)
        return;
    valueTable->reset();
    while (valueTable->hasMoreElements()) {
        const WString& display = valueTable->nextValue();
        const char* code = valueTable->getCurrentKey();
        // By text the item keeps the table's own code text, which lives as
        // long as the table entry.
        void* data = type == FIELD_CHOICE_BY_NUMBER
                         ? numberAsItemData(readDecimal(code, INT_MIN, INT_MAX))
                         : const_cast<char*>(code);
        list->addItem(display, data);
    }
}

void InputField::selectChoice()
{
    WControlStringList* list = static_cast<WControlStringList*>(control);
    unsigned long count = list->getItemCount();
    unsigned long selected = 0;
    for (unsigned long i = 0; i < count; ++i) {
        void* data = list->getItemData(i);
        bool same = type == FIELD_CHOICE_BY_NUMBER
                        ? itemDataAsNumber(data) == *static_cast<int*>(variable)
                        : static_cast<WString*>(variable)->equals(static_cast<const char*>(data));
        if (same) {
            selected = i;
            break;
        }
    }
    if (count > 0)
        list->selectItem(selected);
}

void InputField::readChoice()
{
    WControlStringList* list = static_cast<WControlStringList*>(control);
    unsigned long index = list->getItemIdx();
    if (index == noItem)
        return;
    void* data = list->getItemData(index);
    if (type == FIELD_CHOICE_BY_NUMBER)
        *static_cast<int*>(variable) = itemDataAsNumber(data);
    else
        *static_cast<WString*>(variable) = static_cast<const char*>(data);
}
