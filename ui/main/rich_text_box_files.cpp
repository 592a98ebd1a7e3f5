#include "ui/main/rich_text_box.h"

namespace tessaline {

bool RichTextBox::loadFile(const QString&, QString* error, std::size_t*)
{
    if (error)
        *error = QStringLiteral("not available yet");
    return false;
}

bool RichTextBox::saveFile(const QString&, QString* error) const
{
    if (error)
        *error = QStringLiteral("not available yet");
    return false;
}

}  // namespace tessaline
