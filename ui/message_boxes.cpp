#include "ui/message_boxes.h"

#include <QMessageBox>

namespace tessaline {

void QtMessageBoxes::show(QWidget* parent, Icon icon, const QString& title, const QString& text)
{
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    if (icon == Icon::Information)
        shown = QMessageBox::Information;
    else if (icon == Icon::Warning)
        shown = QMessageBox::Warning;
    QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace tessaline
