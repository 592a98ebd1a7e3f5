// File dialogs behind an interface, so that tests can answer them.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tessaline {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Each returns the chosen full path, or nothing when the user cancelled.
    // `filter` is a Qt name filter list such as "Text (*.txt)".
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& filter, const QString& fileName) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& filter, const QString& fileName) = 0;
};

// The real dialogs (QFileDialog). They keep what they remember (history,
// last folder, sidebar places) for the run only.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> openFileName(QWidget* parent, const QString& filter, const QString& fileName) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& filter, const QString& fileName) override;
};

}  // namespace tessaline
