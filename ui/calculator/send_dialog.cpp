#include "ui/calculator/send_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "ui/calculator/calculator_fields.h"
#include "ui/calculator/picture_list.h"

namespace tessaline {

namespace {

// The progress bar counts in these steps, so that a total over what an int
// holds still shows.
constexpr int kProgressSteps = 1000;
constexpr int kPollMs = 50;
constexpr int kLastPort = 4;

// The link library's virtual cable, whose port 2 an emulator (TiEmu) serves.
const CableInfo kEmulatorCable{"TiEmu", 2, "TiEmu emulator, port 2"};

// Threads that do the dialogs' link work. None is waited for by a dialog;
// the program waits for those still running before it ends.
class BackgroundWork {
public:
    static BackgroundWork& instance()
    {
        static BackgroundWork* work = new BackgroundWork;  // outlives every thread it counts
        return *work;
    }
    void start(std::function<void()> job)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++running_;
        }
        std::thread([this, job = std::move(job)] {
            job();
            const std::lock_guard<std::mutex> lock(mutex_);
            --running_;
            ended_.notify_all();
        }).detach();
    }
    bool waitForAll(std::chrono::milliseconds limit)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return ended_.wait_for(lock, limit, [this] { return running_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    int running_ = 0;
};

}  // namespace

// What a thread shares with the dialog: the results are read only once
// `finished` is set.
struct SendDialog::Probe {
    std::atomic<bool> finished{false};
    std::vector<CableInfo> cables;
};

struct SendDialog::Transfer {
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};
    std::atomic<bool> finished{false};
    std::size_t planned = 0;  // the bytes of the plan, for the bar after a failure
    SendResult result;
};

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

    // Any cable the link library knows, on any port.
    otherCable_ = new QWidget(this);
    auto* otherRow = new QHBoxLayout(otherCable_);
    otherRow->setContentsMargins(0, 0, 0, 0);
    otherModel_ = new QComboBox(otherCable_);
    otherModel_->setObjectName(QStringLiteral("otherCableModel"));
    for (const std::string& model : knownCableModels())
        otherModel_->addItem(QString::fromStdString(model));
    auto* portLabel = new QLabel(QStringLiteral("&Port:"), otherCable_);
    otherPort_ = new QSpinBox(otherCable_);
    otherPort_->setObjectName(QStringLiteral("otherCablePort"));
    otherPort_->setRange(1, kLastPort);
    portLabel->setBuddy(otherPort_);
    otherRow->addWidget(otherModel_, 1);
    otherRow->addWidget(portLabel);
    otherRow->addWidget(otherPort_);
    fields_->form()->insertRow(1, QString(), otherCable_);
    otherCable_->setVisible(false);

    archive_ = new QCheckBox(QStringLiteral("Store in the &archive (flash) instead of RAM"), this);
    archive_->setObjectName(QStringLiteral("archive"));
    fields_->form()->addRow(QString(), archive_);
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

    poller_ = new QTimer(this);
    poller_->setInterval(kPollMs);

    connect(refreshButton_, &QPushButton::clicked, this, &SendDialog::refreshCables);
    connect(cableList_, &QComboBox::currentIndexChanged, this, &SendDialog::chooseCable);
    connect(sendButton_, &QPushButton::clicked, this, &SendDialog::send);
    connect(closeButton_, &QPushButton::clicked, this, &SendDialog::closeOrCancel);
    connect(poller_, &QTimer::timeout, this, &SendDialog::poll);
    refreshCables();
}

SendDialog::~SendDialog()
{
    if (transfer_)
        transfer_->cancel = true;
}

bool SendDialog::waitForBackgroundWork(std::chrono::milliseconds limit)
{
    return BackgroundWork::instance().waitForAll(limit);
}

void SendDialog::setPictures(PictureList* pictures)
{
    if (pictures->entries().empty()) {
        delete pictures;
        return;
    }
    pictures_ = pictures;
    pictures->setParent(this);
    pictures->setCalculator(fields_->calculator());
    connect(fields_, &CalculatorFields::calculatorChanged, pictures,
            [this] { pictures_->setCalculator(fields_->calculator()); });
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, pictures);
}

void SendDialog::refreshCables()
{
    if (probe_ || transfer_)
        return;
    probe_ = std::make_shared<Probe>();
    resultLine_->setText(QStringLiteral("Looking for cables…"));
    BackgroundWork::instance().start([link = link_, probe = probe_] {
        probe->cables = link->findCables();
        probe->finished.store(true, std::memory_order_release);
    });
    setBusy();
    poller_->start();
}

void SendDialog::showCables()
{
    const bool found = !probe_->cables.empty();
    cables_ = std::move(probe_->cables);
    probe_.reset();
    const bool emulatorListed = std::any_of(cables_.begin(), cables_.end(), [](const CableInfo& cable) {
        return cable.model == kEmulatorCable.model && cable.port == kEmulatorCable.port;
    });
    if (!emulatorListed)
        cables_.push_back(kEmulatorCable);
    cables_.push_back({{}, 0, "Other cable…"});
    const QSignalBlocker quiet(cableList_);
    cableList_->clear();
    for (const CableInfo& cable : cables_)
        cableList_->addItem(QString::fromStdString(cable.label));
    chooseCable();
    if (found)
        resultLine_->clear();
    else
        resultLine_->setText(QStringLiteral("No cable found: connect the cable, then press Refresh."));
}

void SendDialog::chooseCable()
{
    otherCable_->setVisible(!cables_.empty() && cableList_->currentIndex() == int(cables_.size()) - 1);
}

void SendDialog::send()
{
    if (transfer_ || probe_ || !fields_->check())
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
    if (pictures_)
        request.pictures = pictures_->pictures();
    request.archive = archive_->isChecked();
    const int chosen = cableList_->currentIndex();
    if (otherCable_->isVisible()) {
        request.cableModel = otherModel_->currentText().toStdString();
        request.port = otherPort_->value();
    } else if (chosen >= 0 && std::size_t(chosen) < cables_.size()) {
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
    // The calculator's variables are replaced only when the user has seen
    // their names and pressed Replace for this very request.
    std::vector<std::string> paths;
    for (const LinkVariable& variable : plan.variables)
        paths.push_back(variable.path());
    request.replace = !held_.empty() && std::all_of(held_.begin(), held_.end(), [&](const std::string& path) {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    });
    held_.clear();
    sendButton_->setText(QStringLiteral("&Send"));

    transfer_ = std::make_shared<Transfer>();
    transfer_->planned = plan.totalBytes;
    progressBar_->setValue(0);
    resultLine_->setText(
        plan.variables.size() == 1
            ? QStringLiteral("Sending %1 bytes…").arg(plan.totalBytes)
            : QStringLiteral("Sending %1 bytes in %2 variables…").arg(plan.totalBytes).arg(plan.variables.size()));
    // The thread shares only the transfer with the dialog, which reads it on
    // its timer: the dialog may go first.
    BackgroundWork::instance().start([link = link_, transfer = transfer_, request = std::move(request)] {
        const ProgressCallback progress = [&transfer](std::size_t done, std::size_t total) {
            transfer->total = total;
            transfer->done = done;
        };
        transfer->result = link->send(request, progress, &transfer->cancel);
        transfer->finished.store(true, std::memory_order_release);
    });
    setBusy();
    poller_->start();
}

void SendDialog::poll()
{
    if (probe_ && probe_->finished.load(std::memory_order_acquire))
        showCables();
    if (transfer_) {
        if (transfer_->finished.load(std::memory_order_acquire)) {
            finishSend();
        } else if (const std::size_t total = transfer_->total; total > 0) {
            progressBar_->setValue(int(std::min<std::size_t>(transfer_->done, total) * kProgressSteps / total));
        }
    }
    if (!probe_ && !transfer_)
        poller_->stop();
    setBusy();
}

void SendDialog::finishSend()
{
    const SendResult result = std::move(transfer_->result);
    const std::size_t planned = transfer_->planned;
    transfer_.reset();
    // After a failure the bar shows only the variables that arrived whole.
    progressBar_->setValue(result.ok() || planned == 0
                               ? (result.ok() ? kProgressSteps : 0)
                               : int(std::min(result.bytesSent, planned) * kProgressSteps / planned));
    QString line = QString::fromStdString(result.message);
    if (result.status == SendStatus::Held) {
        held_ = result.held;
        sendButton_->setText(QStringLiteral("&Replace"));
        line += held_.size() == 1 ? QStringLiteral(" Press Replace to replace it on the calculator.")
                                  : QStringLiteral(" Press Replace to replace them on the calculator.");
    }
    resultLine_->setText(line);
    emit sendFinished(result);
}

void SendDialog::cancel()
{
    if (!transfer_ || transfer_->cancel)
        return;
    transfer_->cancel = true;
    resultLine_->setText(QStringLiteral("Cancelling…"));
    setBusy();
}

void SendDialog::closeOrCancel()
{
    if (transfer_ && !transfer_->cancel)
        cancel();
    else
        QDialog::reject();
}

void SendDialog::reject()
{
    cancel();
    QDialog::reject();
}

void SendDialog::setBusy()
{
    const bool sending = transfer_ != nullptr;
    const bool busy = sending || probe_ != nullptr;
    sendButton_->setEnabled(!busy);
    refreshButton_->setEnabled(!busy);
    cableList_->setEnabled(!busy);
    otherCable_->setEnabled(!busy);
    fields_->setEnabled(!busy);
    archive_->setEnabled(!busy);
    closeButton_->setText(sending && !transfer_->cancel ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

}  // namespace tessaline
