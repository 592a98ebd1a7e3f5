// The editing tools of the main window: the markup command lines, the
// special-character palette, and the view settings (font size, big buttons,
// palette collapse, word wrap).
#include "ui/main/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <string>

#include "richtext/charset.h"
#include "ui/main/rich_text_box.h"
#include "ui/twips.h"

namespace tessaline {

namespace {

constexpr char CR = 13;
constexpr char LF = 10;

// The smallest editor font size the "-" button sets. Sizes of 0 or below
// have no meaning for a font, so the buttons stop at one point.
constexpr double kMinFontPoints = 1.0;

std::string toCodes(const QString& text)
{
    const QList<uint> ucs4 = text.toUcs4();
    const std::u32string points(ucs4.begin(), ucs4.end());
    return charset::fromUnicode(points).codes;
}

// The argument of a command runs to the end of its line, so a line break in
// a box (pasted or set from code) cannot be part of it: it becomes a blank.
std::string argumentCodes(const QString& box)
{
    std::string codes = toCodes(box);
    std::string argument;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == CR || codes[i] == LF) {
            if (codes[i] == CR && i + 1 < codes.size() && codes[i + 1] == LF)
                ++i;
            argument += ' ';
        } else {
            argument += codes[i];
        }
    }
    return argument;
}

// A number as BASIC's Str$ writes it: a blank where a plus sign would stand,
// "." as the decimal point, no trailing zeros (sizes carry four places).
QString basicNumber(double value)
{
    const double rounded = std::round(value * 10000.0) / 10000.0;
    QString digits = QString::number(std::fabs(rounded), 'f', 4);
    while (digits.endsWith(u'0'))
        digits.chop(1);
    if (digits.endsWith(u'.'))
        digits.chop(1);
    if (digits.startsWith(u"0.") )
        digits.remove(0, 1);   // Str$ writes 0.5 as ".5"
    if (digits.isEmpty())
        digits = QStringLiteral("0");
    return (rounded < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

void setButtonSize(QPushButton* button, int sizeTwips, double points)
{
    button->resize(twipsToPixels(sizeTwips), twipsToPixels(sizeTwips));
    QFont font = button->font();
    font.setPointSizeF(points);
    button->setFont(font);
}

}  // namespace

// The line-placement rule: the command goes on a line of its own, with a
// line break added in front only when the caret does not start a line, and
// one after only when the caret (or the first selected character) is not
// already at a line end. Both tests look at the editor before the insertion.
void Form1::insertCommandLine(const std::string& body)
{
    const std::string text = Text1->text();
    const std::size_t n = text.size();
    const std::size_t p = std::min(Text1->selStart(), n);

    const bool leading = p > 0 && text[p - 1] != LF;
    const bool trailing = p < n && text[p] != CR;

    std::string line;
    if (leading)
        line += {CR, LF};
    line += body;
    if (trailing)
        line += {CR, LF};

    Text1->replaceSelection(line);
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::Command2_Click()
{
    insertCommandLine("_CHA\r\n_TIL " + argumentCodes(Text6->text()));
}

void Form1::Command3_Click()
{
    insertCommandLine("_PIC " + argumentCodes(Text7->text()));
}

void Form1::Command4_Click()
{
    insertCommandLine("_BRK");
}

void Form1::Command5_Click(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(Command5.size()) || Command5[Index] == nullptr)
        return;
    // The caption is the button's whole state: it is exactly the character.
    Text1->replaceSelection(toCodes(Command5[Index]->text()));
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::Command6_Click()
{
    Text1->setFontSize(Text1->fontSize() + 1.0);
    Frame6->setTitle(QStringLiteral("Font Size (") + basicNumber(Text1->fontSize()) + u')');
}

void Form1::Command7_Click()
{
    Text1->setFontSize(std::max(kMinFontPoints, Text1->fontSize() - 1.0));
    Frame6->setTitle(QStringLiteral("Font Size (") + basicNumber(Text1->fontSize()) + u')');
}

void Form1::Check2_Click()
{
    const bool big = Check2->isChecked();
    const int size = big ? 350 : 255;
    const double points = big ? 13.5 : 9.75;
    for (QPushButton* button : Command5) {
        if (button != nullptr)
            setButtonSize(button, size, points);
    }
}

void Form1::Check3_Click()
{
    if (Check3->isChecked()) {
        Frame5->resize(Frame5->width(), twipsToPixels(1335));
        setOuterHeightTwips(6360);
        for (std::size_t i = 1; i < Command5.size(); ++i) {
            if (Command5[i] != nullptr)
                Command5[i]->setVisible(true);
        }
    } else {
        for (std::size_t i = 1; i < Command5.size(); ++i) {
            if (Command5[i] != nullptr)
                Command5[i]->setVisible(false);
        }
        Frame5->resize(Frame5->width(), twipsToPixels(255));
        setOuterHeightTwips(5295);
    }
}

// "Word Wrap": a user's choice of the menu item toggles the check mark once.
// The item is checkable (that is what shows the mark), and Qt already flips a
// checkable action's mark before it reports the trigger; when the call comes
// from the action itself the mark has therefore moved and nothing is left to
// do. Called from code, the handler flips the mark itself.
void Form1::wrap_Click()
{
    if (wrap == nullptr)
        return;
    if (sender() == wrap && wrap->isCheckable())
        return;
    wrap->setCheckable(true);
    wrap->setChecked(!wrap->isChecked());
}

}  // namespace tessaline
