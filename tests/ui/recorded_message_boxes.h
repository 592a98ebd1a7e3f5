// Message boxes that record what they were asked to show and return at once.
#pragma once

#include <QString>
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

    std::vector<QString> texts() const
    {
        std::vector<QString> all;
        for (const Shown& s : shown)
            all.push_back(s.text);
        return all;
    }

    std::vector<Shown> shown;
};

}  // namespace tessaline::testing
