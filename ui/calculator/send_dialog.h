// "Send to Calculator": the cables found (and the emulator's, and any cable
// by name and port), the calculator, the variable name and folder, and Send.
// Probing and the transfer run on threads of their own; the dialog shows the
// progress, offers Cancel, and ends with one line saying what happened. It
// never waits for those threads: closed during a transfer, it cancels it and
// goes at once.
#pragma once

#include <QDialog>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/calculator_link.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace tessaline {

class CalculatorFields;
class PictureList;

class SendDialog : public QDialog {
    Q_OBJECT
public:
    // What Send sends: the processed text as it is when Send is pressed, or
    // nothing while there is none (a run is in progress).
    using TextSource = std::function<std::optional<std::string>()>;

    // Sends the text of `text` over `link`; `name` prefills the variable
    // name (valid already). Starts looking for cables at once.
    SendDialog(QWidget* parent, std::shared_ptr<CalculatorLink> link, TextSource text, const std::string& name);
    // Cancels a transfer under way without waiting for it.
    ~SendDialog() override;

    bool isSending() const { return transfer_ != nullptr; }

    // Lists the text's pictures above the progress bar (when it has any) and
    // sends the ones found after the text; the dialog takes `pictures`.
    void setPictures(PictureList* pictures);

    // Closing the dialog during a transfer cancels it.
    void reject() override;

    // Waits, at most `limit`, for the probes and transfers of dialogs that
    // closed before they ended; true when none is left. The program calls it
    // before it ends.
    static bool waitForBackgroundWork(std::chrono::milliseconds limit);

signals:
    // A transfer ended; `result` is its outcome.
    void sendFinished(const tessaline::SendResult& result);

private:
    struct Probe;
    struct Transfer;

    void refreshCables();
    void showCables();
    void chooseCable();
    void send();
    void cancel();
    void closeOrCancel();
    void poll();
    void finishSend();
    void setBusy();

    std::shared_ptr<CalculatorLink> link_;
    TextSource text_;
    std::vector<CableInfo> cables_;  // as the list shows them, "Other cable…" last

    QComboBox* cableList_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    QWidget* otherCable_ = nullptr;
    QComboBox* otherModel_ = nullptr;
    QSpinBox* otherPort_ = nullptr;
    CalculatorFields* fields_ = nullptr;
    PictureList* pictures_ = nullptr;
    QCheckBox* archive_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* resultLine_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QTimer* poller_ = nullptr;

    std::shared_ptr<Probe> probe_;
    std::shared_ptr<Transfer> transfer_;
    // The variables the calculator holds, as the last send found them: Send
    // reads "Replace" and replaces them while the request still names them.
    std::vector<std::string> held_;
};

}  // namespace tessaline
