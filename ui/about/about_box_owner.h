// Opens the about box of a window: created on first use, brought to the
// front while open, and created afresh after the user closed it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QWidget;

namespace tessaline {

class AboutBox;
struct Dialogs;

class AboutBoxOwner : public QObject {
    Q_OBJECT
public:
    // `windowOwner` is the window the box is opened from; the box goes with
    // it but is a window of its own (no owner). Its messages go through
    // `dialogs`.
    AboutBoxOwner(QWidget& windowOwner, std::shared_ptr<const Dialogs> dialogs);
    ~AboutBoxOwner() override;

    // Shows the box with `credit` as its title line, and makes it the active
    // window.
    void open(const QString& credit);
    // Ends the box with the program.
    void close();

signals:
    // The user pressed OK in the box.
    void dismissed();

private:
    std::shared_ptr<const Dialogs> dialogs_;
    QPointer<AboutBox> box_;
};

}  // namespace tessaline
