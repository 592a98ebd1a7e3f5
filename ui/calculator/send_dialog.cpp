#include "ui/calculator/send_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <utility>

#include "ui/calculator/calculator_fields.h"

namespace tessaline {

namespace {

// The progress bar counts in these steps, so that a total over what an int
// holds still shows.
constexpr int kProgressSteps = 1000;

}  // namespace

SendDialog::SendDialog(QWidget* parent, std::shared_ptr<CalculatorLink> link, TextSource text, const std::string& name)
    : QDialog(parent), link_(std::move(link)), text_(std::move(text))
{
    setObjectName(QStringLiteral("sendDialog"));
    setWindowTitle(QStringLiteral("Send to Calculator"));
    auto* layout = new QVBoxLayout(this);

    fields_ = new CalculatorFields(this, name);
    auto* cableRow = new QHBoxLayout;
    cableList_ = new QComboBox(this);
    cableList_->setObjectName(QStringLiteral("cables"));
    cableList_->setMinimumContentsLength(20);
    refreshButton_ = new QPushButton(QStringLiteral("&Refresh"), this);
    refreshButton_->setObjectName(QStringLiteral("refresh"));
    cableRow->addWidget(cableList_, 1);
    cableRow->addWidget(refreshButton_);
    auto* cableLabel = new QLabel(QStringLiteral("Ca&ble:"), this);
    cableLabel->setBuddy(cableList_);
    fields_->form()->insertRow(0, cableLabel, cableRow);
    layout->addWidget(fields_);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progress"));
    progressBar_->setRange(0, kProgressSteps);
    progressBar_->setValue(0);
    layout->addWidget(progressBar_);

    resultLine_ = new QLabel(this);
    resultLine_->setObjectName(QStringLiteral("result"));
    resultLine_->setWordWrap(true);
    resultLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(resultLine_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    sendButton_ = new QPushButton(QStringLiteral("&Send"), this);
    sendButton_->setObjectName(QStringLiteral("send"));
    sendButton_->setDefault(true);
    closeButton_ = new QPushButton(QStringLiteral("Close"), this);
    closeButton_->setObjectName(QStringLiteral("close"));
    buttons->addWidget(sendButton_);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(refreshButton_, &QPushButton::clicked, this, &SendDialog::refreshCables);
    connect(sendButton_, &QPushButton::clicked, this, &SendDialog::send);
    connect(closeButton_, &QPushButton::clicked, this, &SendDialog::reject);
    refreshCables();
}

SendDialog::~SendDialog()
{
    if (worker_) {
        transfer_->cancel = true;
        worker_->wait();
        delete worker_;
    }
}

void SendDialog::refreshCables()
{
    cables_ = link_->findCables();
    cableList_->clear();
    for (const CableInfo& cable : cables_)
        cableList_->addItem(QString::fromStdString(cable.label));
    if (cables_.empty()) {
        cableList_->addItem(QStringLiteral("(no cable found)"));
        resultLine_->setText(QStringLiteral("No cable found: connect the cable, then press Refresh."));
    } else {
        resultLine_->clear();
    }
    sendButton_->setEnabled(!cables_.empty());
}

void SendDialog::send()
{
    if (worker_ || !fields_->check())
        return;
    // The window this dialog belongs to may have processed a new text since
    // the dialog opened: the text sent is the one it shows now.
    std::optional<std::string> codes = text_();
    if (!codes) {
        resultLine_->setText(QStringLiteral("The text is being processed; send it once PROCESS has ended."));
        return;
    }
    SendRequest request;
    request.codes = std::move(*codes);
    request.calculator = fields_->calculator();
    request.name = fields_->name();
    request.folder = fields_->folder();
    const int chosen = cableList_->currentIndex();
    if (chosen >= 0 && std::size_t(chosen) < cables_.size()) {
        request.cableModel = cables_[std::size_t(chosen)].model;
        request.port = cables_[std::size_t(chosen)].port;
    }
    // A text the variables cannot hold is refused here, before any cable is
    // opened.
    const SendPlan plan = planSend(request);
    if (!plan.ok) {
        resultLine_->setText(QString::fromStdString(plan.error));
        return;
    }

    transfer_ = std::make_shared<Transfer>();
    progressBar_->setValue(0);
    resultLine_->setText(
        plan.variables.size() == 1
            ? QStringLiteral("Sending %1 bytes…").arg(plan.totalBytes)
            : QStringLiteral("Sending %1 bytes in %2 variables…").arg(plan.totalBytes).arg(plan.variables.size()));
    // The worker posts its progress to the dialog; the dialog outlives the
    // worker (its destructor waits), so the posts always find it.
    worker_ = QThread::create([this, link = link_, transfer = transfer_, request = std::move(request)] {
        const ProgressCallback progress = [this](std::size_t done, std::size_t total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
        };
        transfer->result = link->send(request, progress, &transfer->cancel);
    });
    connect(worker_, &QThread::finished, this, &SendDialog::finishSend);
    setSending(true);
    worker_->start();
}

void SendDialog::showProgress(std::size_t done, std::size_t total)
{
    if (!worker_ || total == 0)
        return;
    progressBar_->setValue(int(std::min<std::size_t>(done, total) * kProgressSteps / total));
}

void SendDialog::finishSend()
{
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    const SendResult result = transfer_->result;
    transfer_.reset();
    if (result.ok())
        progressBar_->setValue(kProgressSteps);
    resultLine_->setText(QString::fromStdString(result.message));
    setSending(false);
    emit sendFinished(result);
}

void SendDialog::cancel()
{
    if (!worker_)
        return;
    transfer_->cancel = true;
    resultLine_->setText(QStringLiteral("Cancelling…"));
    closeButton_->setEnabled(false);
}

void SendDialog::reject()
{
    if (worker_)
        cancel();
    else
        QDialog::reject();
}

void SendDialog::setSending(bool sending)
{
    sendButton_->setEnabled(!sending && !cables_.empty());
    refreshButton_->setEnabled(!sending);
    cableList_->setEnabled(!sending);
    fields_->setEnabled(!sending);
    closeButton_->setEnabled(true);
    closeButton_->setText(sending ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

}  // namespace tessaline
