// The 64 palette buttons against the character table of the program's
// description, transcribed here by hand (not taken from the program's own
// table): clicking button i types exactly the code listed for i.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "tests/ui/main/shown_main_window.h"
#include "ui/editor/calculator_text_edit.h"

namespace tessaline {
namespace {

// Rows of eight: indices 0-7, 8-15, ... 56-63.
constexpr std::array<int, 64> kDescribedCodes = {
    208, 187, 188, 189, 190, 191, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142, 143, 144,
    145, 146, 147, 148, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 161, 162, 163, 164, 165, 166, 167, 168,
    215, 169, 170, 172, 247, 174, 175, 176, 177, 178, 173, 180, 181, 222, 182, 183, 184, 185, 179, 248,
};

// The description's own rules for the table, as a check of the
// transcription above.
TEST(PaletteTable, TranscriptionFollowsTheDescribedRules)
{
    std::set<int> codes(kDescribedCodes.begin(), kDescribedCodes.end());
    EXPECT_EQ(codes.size(), 64u);
    for (int code : {128, 149, 160, 171, 186})
        EXPECT_EQ(codes.count(code), 0u) << code;
    for (int code = 192; code < 256; ++code) {
        const bool listed = code == 208 || code == 215 || code == 222 || code == 247 || code == 248;
        EXPECT_EQ(codes.count(code), listed ? 1u : 0u) << code;
    }
    for (int code = 129; code <= 148; ++code)
        EXPECT_EQ(kDescribedCodes[code - 123], code);
    for (int code = 152; code <= 159; ++code)
        EXPECT_EQ(kDescribedCodes[code - 124], code);
}

using PaletteButtons = ShownMainWindow;

TEST_F(PaletteButtons, EachTypesTheDescribedCode)
{
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        ui->editor->setText("<>");
        ui->editor->setSelStart(1);
        ui->editor->setSelLength(0);
        QTest::mouseClick(ui->paletteButtons[i], Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(ui->editor->text(), "<" + std::string(1, static_cast<char>(kDescribedCodes[i])) + ">");
    }
}

}  // namespace
}  // namespace tessaline
