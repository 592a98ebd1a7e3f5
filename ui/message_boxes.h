// Message boxes behind an interface, so that tests can answer them.
#pragma once

#include <QString>

class QWidget;

namespace tessaline {

class MessageBoxes {
public:
    enum class Icon { Information, Warning, None };
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual ~MessageBoxes() = default;
    // A box with an OK button only; returns when the user closed it.
    virtual void show(QWidget* parent, Icon icon, const QString& title, const QString& text) = 0;

    // The questions. Boxes that only show (the fakes of tests that never
    // meet a question) answer as a user who goes ahead; the real boxes ask.
    // "Save changes?" with Save, Discard and Cancel (Save the default).
    virtual SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text);
    // A warning with a button named `action` and Cancel (the default): true
    // when the user pressed `action`.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& action);
};

// The real message boxes (QMessageBox).
class QtMessageBoxes : public MessageBoxes {
public:
    void show(QWidget* parent, Icon icon, const QString& title, const QString& text) override;
    SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text) override;
    bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& action) override;
};

}  // namespace tessaline
