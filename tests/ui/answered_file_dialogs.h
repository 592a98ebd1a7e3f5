// File dialogs that answer every Save dialog, and every Open dialog, with the
// next name of their list (none left: the user cancelled). The filter each
// Open dialog offered is kept.
#pragma once

#include <QString>
#include <deque>
#include <optional>

#include "ui/file_dialogs.h"

namespace tessaline::testing {

class AnsweredFileDialogs : public FileDialogs {
public:
    std::deque<QString> saveAnswers;
    std::deque<QString> openAnswers;
    QString openFilter;  // the filter of the last Open dialog

    std::optional<QString> openFileName(QWidget*, const QString& filter, const QString&) override
    {
        openFilter = filter;
        if (openAnswers.empty())
            return std::nullopt;
        const QString answer = openAnswers.front();
        openAnswers.pop_front();
        return answer;
    }
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
