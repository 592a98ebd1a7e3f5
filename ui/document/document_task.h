// Work on a document's file (reading it for Open Text, writing a big text)
// on a worker thread, followed from the window's thread: the share done and
// the end arrive there as queued signals, and Cancel asks the work to stop
// at its next step.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace tessaline {

class DocumentTask : public QObject {
    Q_OBJECT
public:
    // What the work sees of its task, from the worker thread.
    class Control {
    public:
        // The share of the work done, 0 to 100; only a larger share than
        // the last one told reaches the window.
        void progress(int percent) const;
        // True once the task was cancelled: the work stops as soon as it
        // can, its results are not used.
        bool cancelled() const;
        // The flag behind cancelled(), for work that takes one.
        const std::atomic<bool>& cancelFlag() const;

    private:
        friend class DocumentTask;
        explicit Control(DocumentTask& task) : task_(task) {}
        DocumentTask& task_;
    };
    using Work = std::function<void(const Control&)>;

    // Starts `work` on a worker thread at once.
    explicit DocumentTask(Work work, QObject* parent = nullptr);
    // Cancels the work and waits for the worker to end.
    ~DocumentTask() override;

    // Asks the work to stop; finished() still follows.
    void cancel();
    bool isCancelled() const { return cancel_; }
    // False once finished() was sent.
    bool isRunning() const { return worker_ != nullptr; }

signals:
    void progressed(int percent);
    // The work has ended: what it wrote for its owner may be read now.
    void finished();

private:
    void end();

    std::atomic<bool> cancel_ = false;
    std::atomic<int> shown_ = -1;  // the last share posted
    QThread* worker_ = nullptr;
};

}  // namespace tessaline
