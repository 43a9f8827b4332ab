#include <windows.h>

#include <gtest/gtest.h>

#include <climits>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "InputFieldSet.h"
#include "WControlEdit.h"
#include "WDialog.h"

namespace {

// A dialog over the position template whose fields the test registers.
class FieldDialog : public WDialog {
public:
    FieldDialog() : WDialog(nullptr, IDD_POSITION), table(100) { fields.attach(this); }

    void onDialogInit() override
    {
        table.put("10", "zehn");
        table.put("20", "zwanzig");
        table.put("30", "dreißig");
        fields.addTextField(IDC_POSITION_NAME, &text);
        fields.addIntegerField(IDC_POSITION_LAT_DEGREES, &signedValue);
        fields.addUnsignedField(IDC_POSITION_LAT_MINUTES, &unsignedValue);
        fields.addChoiceByNumber(IDC_POSITION_LAT_HEMISPHERE, &number, &table, true);
        fields.addChoiceByText(IDC_POSITION_LON_HEMISPHERE, &code, &table, true);
        fields.addUnsignedField(IDC_POSITION_LON_DEGREES, &replaced);
        // Replaces the field just added: only the new variable is bound.
        fields.addUnsignedField(IDC_POSITION_LON_DEGREES, &replacing);
        fields.addIntegerField(IDC_POSITION_LON_MINUTES, &patterned);
        fields.getField(IDC_POSITION_LON_MINUTES)->setPattern("^[1-5]");
        fields.updateControls();
    }
    void onDialogClose() override { close(0); }
    void onPanelCommand(unsigned long id, unsigned long, WControl*) override
    {
        if (id != IDOK)
            return;
        ++confirmations;
        if (fields.validate()) {
            fields.updateVariables();
            close(1);
        }
    }

    InputFieldSet fields;
    InputValueTable table;
    WString text;
    int signedValue = -7;
    unsigned int unsignedValue = 4000000000u;
    int number = 99; // in no entry: the first is selected
    WString code = "30";
    unsigned int replaced = 11;
    unsigned int replacing = 22;
    int patterned = 7;
    int confirmations = 0;
};

} // namespace

TEST(InputFieldTest, NumbersAreReadAsDecimalAndHeldAtTheirLimits)
{
    struct Case {
        const char* text;
        long long expected;
    } signedCases[] = {
        {"9", 9},
        {"09", 9},
        {"08", 8},
        {"010", 10},
        {"  42", 42},
        {"-1", -1},
        {"+5", 5},
        {"0x1A", 0},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"99999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const Case& c : signedCases)
        EXPECT_EQ(c.expected, InputField::readDecimal(c.text, INT_MIN, INT_MAX)) << c.text;
    EXPECT_EQ(0, InputField::readDecimal("-5", 0, UINT_MAX)) << "no negative unsigned value";
    EXPECT_EQ(4000000000LL, InputField::readDecimal("4000000000", 0, UINT_MAX));
    EXPECT_EQ(static_cast<long long>(UINT_MAX), InputField::readDecimal("5000000000", 0, UINT_MAX));
}

TEST(InputFieldTest, PatternsMatchAnywhereUnlessAnchoredAndBrokenOnesMatchNothing)
{
    EXPECT_TRUE(InputField::matchesPattern("[0-9]+", "Jahr 1990"));
    EXPECT_FALSE(InputField::matchesPattern("^[0-9]+$", "Jahr 1990"));
    EXPECT_TRUE(InputField::matchesPattern("^Gr(ad|öße)$", "Größe"));
    EXPECT_FALSE(InputField::matchesPattern("(unclosed", "(unclosed"));
    EXPECT_FALSE(InputField::matchesPattern("[", ""));
}

TEST(InputFieldTest, ControlsVariablesValidationAndColours)
{
    FieldDialog dialog;
    DialogDriver driver;
    std::string shownSigned, shownUnsigned, shownNumber, shownCode, shownReplacing;
    unsigned long emptyNameColour = 0, patternColour = 0, nameColourAfter = 0, otherColour = 0,
                  patternColourAfter = 0;
    int confirmationsWhileInvalid = 0;
    driver
        .act([&](HWND d) {
            shownSigned = controlText(d, IDC_POSITION_LAT_DEGREES);
            shownUnsigned = controlText(d, IDC_POSITION_LAT_MINUTES);
            shownNumber = controlText(d, IDC_POSITION_LAT_HEMISPHERE);
            shownCode = controlText(d, IDC_POSITION_LON_HEMISPHERE);
            shownReplacing = controlText(d, IDC_POSITION_LON_DEGREES);
        })
        // Empty required text and a number the pattern refuses: both red.
        .press(IDOK)
        .act([&](HWND d) {
            emptyNameColour = editBackground(d, IDC_POSITION_NAME);
            patternColour = editBackground(d, IDC_POSITION_LON_MINUTES);
            otherColour = editBackground(d, IDC_POSITION_LAT_DEGREES);
            confirmationsWhileInvalid = dialog.confirmations;
        })
        .type(IDC_POSITION_NAME, "Kap Arkona")
        .press(IDOK)
        .act([&](HWND d) {
            nameColourAfter = editBackground(d, IDC_POSITION_NAME);
            patternColourAfter = editBackground(d, IDC_POSITION_LON_MINUTES);
        })
        .type(IDC_POSITION_LON_MINUTES, "0") // zero is not tested against the pattern
        .type(IDC_POSITION_LAT_DEGREES, "010")
        .type(IDC_POSITION_LAT_MINUTES, "Grad")
        .choose(IDC_POSITION_LON_HEMISPHERE, 1)
        .type(IDC_POSITION_LON_DEGREES, "7")
        .press(IDOK);

    EXPECT_EQ(1, driver.run([&] { return dialog.show(true); }));
    EXPECT_TRUE(driver.getMessages().empty()) << "invalid fields show no message";

    EXPECT_EQ("-7", shownSigned);
    EXPECT_EQ("4000000000", shownUnsigned);
    EXPECT_EQ("zehn", shownNumber) << "a variable in no entry selects the first";
    EXPECT_EQ("dreißig", shownCode);
    EXPECT_EQ("22", shownReplacing) << "the replacing field's variable";

    EXPECT_EQ(0x0000FFu, emptyNameColour);
    EXPECT_EQ(0x0000FFu, patternColour);
    EXPECT_EQ(0xFFFFFFu, otherColour) << "valid fields keep their colour";
    EXPECT_EQ(1, confirmationsWhileInvalid);
    EXPECT_EQ(0xFFFFFFu, nameColourAfter) << "white again once valid";
    EXPECT_EQ(0x0000FFu, patternColourAfter) << "still red while still invalid";
    EXPECT_EQ(3, dialog.confirmations);

    EXPECT_STREQ("Kap Arkona", dialog.text);
    EXPECT_EQ(10, dialog.signedValue) << "010 is ten, not octal eight";
    EXPECT_EQ(0u, dialog.unsignedValue) << "letters read as 0";
    EXPECT_EQ(10, dialog.number) << "unchanged choice stores the first entry's code";
    EXPECT_STREQ("20", dialog.code);
    EXPECT_EQ(11u, dialog.replaced) << "the replaced field is gone";
    EXPECT_EQ(7u, dialog.replacing);
    EXPECT_EQ(0, dialog.patterned);
    EXPECT_EQ(7u, dialog.fields.size());
}
