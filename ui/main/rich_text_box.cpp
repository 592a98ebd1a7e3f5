#include "ui/main/rich_text_box.h"

#include <QMimeData>

namespace tessaline {

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {}
std::string RichTextBox::text() const { return {}; }
void RichTextBox::setText(std::string_view) {}
std::size_t RichTextBox::selStart() const { return 0; }
void RichTextBox::setSelStart(std::size_t) {}
std::size_t RichTextBox::selLength() const { return 0; }
void RichTextBox::setSelLength(std::size_t) {}
void RichTextBox::replaceSelection(std::string_view) {}
double RichTextBox::fontSize() const { return font().pointSizeF(); }
void RichTextBox::setFontSize(double) {}
void RichTextBox::setTopTwips(int) {}
void RichTextBox::setHeightTwips(int) {}
int RichTextBox::topTwips() const { return 0; }
int RichTextBox::heightTwips() const { return 0; }
bool RichTextBox::canInsertFromMimeData(const QMimeData* source) const { return QTextEdit::canInsertFromMimeData(source); }
void RichTextBox::insertFromMimeData(const QMimeData* source) { QTextEdit::insertFromMimeData(source); }
QMimeData* RichTextBox::createMimeDataFromSelection() const { return QTextEdit::createMimeDataFromSelection(); }
void RichTextBox::onContentsChange(int, int, int) {}

}  // namespace tessaline
