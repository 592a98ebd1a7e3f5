// "Send to Calculator": the cables found, the calculator, the variable name
// and folder, and Send. The transfer runs on a worker thread; the dialog
// shows its progress, offers Cancel, and ends with one line saying what
// happened.
#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/calculator_link.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace tessaline {

class CalculatorFields;

class SendDialog : public QDialog {
    Q_OBJECT
public:
    // What Send sends: the processed text as it is when Send is pressed, or
    // nothing while there is none (a run is in progress).
    using TextSource = std::function<std::optional<std::string>()>;

    // Sends the text of `text` over `link`; `name` prefills the variable
    // name (valid already). Lists the cables found at once.
    SendDialog(QWidget* parent, std::shared_ptr<CalculatorLink> link, TextSource text, const std::string& name);
    // Stops a transfer under way and waits for the worker to end.
    ~SendDialog() override;

    bool isSending() const { return worker_ != nullptr; }

    // While a transfer runs, closing the dialog cancels it instead.
    void reject() override;

signals:
    // A transfer ended; `result` is its outcome.
    void sendFinished(const tessaline::SendResult& result);

private:
    void refreshCables();
    void send();
    void cancel();
    void showProgress(std::size_t done, std::size_t total);
    void finishSend();
    void setSending(bool sending);

    std::shared_ptr<CalculatorLink> link_;
    TextSource text_;
    std::vector<CableInfo> cables_;

    QComboBox* cableList_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    CalculatorFields* fields_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* resultLine_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;

    // What the worker shares with the dialog: the result is read only once
    // the worker has ended.
    struct Transfer {
        std::atomic<bool> cancel{false};
        SendResult result;
    };
    std::shared_ptr<Transfer> transfer_;
    QThread* worker_ = nullptr;
};

}  // namespace tessaline
