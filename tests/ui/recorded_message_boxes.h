// Message boxes that record what they were asked to show and return at once;
// questions take the next answer of their list (none left: the user goes
// ahead).
#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "ui/message_boxes.h"

namespace tessaline::testing {

class RecordedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        QWidget* parent;
        Icon icon;
        QString title;
        QString text;
    };

    void show(QWidget* parent, Icon icon, const QString& title, const QString& text) override
    {
        shown.push_back({parent, icon, title, text});
    }

    SaveAnswer askToSave(QWidget* parent, const QString& title, const QString& text) override
    {
        asked.push_back({parent, Icon::Warning, title, text});
        if (saveAnswers.empty())
            return SaveAnswer::Discard;
        const SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

    bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& action) override
    {
        asked.push_back({parent, Icon::Warning, title, text});
        actions.push_back(action);
        if (confirmAnswers.empty())
            return true;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }

    std::vector<QString> texts() const
    {
        std::vector<QString> all;
        for (const Shown& s : shown)
            all.push_back(s.text);
        return all;
    }

    std::vector<Shown> shown;
    std::vector<Shown> asked;      // the questions, in order
    std::vector<QString> actions;  // the action button of each confirm()
    std::deque<SaveAnswer> saveAnswers;
    std::deque<bool> confirmAnswers;
};

}  // namespace tessaline::testing
