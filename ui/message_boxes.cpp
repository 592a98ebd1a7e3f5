#include "ui/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

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

MessageBoxes::SaveAnswer MessageBoxes::askToSave(QWidget*, const QString&, const QString&)
{
    return SaveAnswer::Discard;
}

bool MessageBoxes::confirm(QWidget*, const QString&, const QString&, const QString&) { return true; }

MessageBoxes::SaveAnswer QtMessageBoxes::askToSave(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveAnswer::Save;
    case QMessageBox::Discard:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;  // Cancel, Escape or the close button
    }
}

bool QtMessageBoxes::confirm(QWidget* parent, const QString& title, const QString& text, const QString& action)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Cancel, parent);
    QPushButton* go = box.addButton(action, QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == go;
}

}  // namespace tessaline
