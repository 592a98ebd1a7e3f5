#include "ui/document/document_task.h"

#include <QThread>

namespace tessaline {

void DocumentTask::Control::progress(int percent) const
{
    // Posted only when the share grows: at most about a hundred posts.
    int last = task_.shown_.load();
    while (percent > last) {
        if (task_.shown_.compare_exchange_weak(last, percent)) {
            QMetaObject::invokeMethod(
                &task_, [task = &task_, percent] { emit task->progressed(percent); }, Qt::QueuedConnection);
            return;
        }
    }
}

bool DocumentTask::Control::cancelled() const { return task_.cancel_; }

const std::atomic<bool>& DocumentTask::Control::cancelFlag() const { return task_.cancel_; }

DocumentTask::DocumentTask(Work work, QObject* parent) : QObject(parent)
{
    // The task outlives its worker (the destructor waits), so the worker's
    // posts always find it.
    worker_ = QThread::create([this, work = std::move(work)] { work(Control(*this)); });
    connect(worker_, &QThread::finished, this, &DocumentTask::end);
    worker_->start();
}

DocumentTask::~DocumentTask()
{
    if (worker_) {
        cancel_ = true;
        worker_->wait();
        delete worker_;
    }
}

void DocumentTask::cancel() { cancel_ = true; }

void DocumentTask::end()
{
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    emit finished();
}

}  // namespace tessaline
