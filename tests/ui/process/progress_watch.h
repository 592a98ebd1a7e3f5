// Watches the PROCESS run through the output window's progress bar: every
// output window that shows is followed, and each change of its bar (per
// mille of the text) is reported while the run goes on.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QProgressBar>
#include <functional>
#include <vector>

#include "ui/process/output_window.h"

namespace tessaline::testing {

class ProgressWatch : public QObject {
public:
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }

    // Called with the window and the bar's new value.
    std::function<void(OutputWindow& window, int perMille)> onProgress;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto* window = qobject_cast<OutputWindow*>(watched);
        if (window == nullptr)
            return false;
        for (const QPointer<OutputWindow>& known : followed_)
            if (known == window)
                return false;
        followed_.emplace_back(window);
        auto* bar = window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
        connect(bar, &QProgressBar::valueChanged, this, [this, window](int value) {
            if (onProgress)
                onProgress(*window, value);
        });
        return false;
    }

private:
    std::vector<QPointer<OutputWindow>> followed_;
};

}  // namespace tessaline::testing
