// File dialogs that answer every Save dialog with the next name of a list
// (none left: the user cancelled). Open dialogs are always cancelled.
#pragma once

#include <QString>
#include <deque>
#include <optional>

#include "ui/file_dialogs.h"

namespace tessaline::testing {

class AnsweredFileDialogs : public FileDialogs {
public:
    std::deque<QString> saveAnswers;

    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&) override
    {
        if (saveAnswers.empty())
            return std::nullopt;
        const QString answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
};

}  // namespace tessaline::testing
