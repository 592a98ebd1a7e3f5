// Message boxes behind an interface, so that tests can answer them.
#pragma once

#include <QString>

class QWidget;

namespace tessaline {

class MessageBoxes {
public:
    enum class Icon { Information, Warning, None };

    virtual ~MessageBoxes() = default;
    // A box with an OK button only; returns when the user closed it.
    virtual void show(QWidget* parent, Icon icon, const QString& title, const QString& text) = 0;
};

// The real message boxes (QMessageBox).
class QtMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
};

}  // namespace tessaline
