// The output window "Processed Text": the processed text with its size and
// number of modifications, or, during a run, a progress bar and Cancel.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/text_pictures.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace tessaline {

struct CalcWriteOptions;
class PictureList;
struct Dialogs;
class CalculatorTextEdit;
#ifdef TESSALINE_HAVE_LINK
class CalculatorLink;
class SendDialog;
#endif

class OutputWindow : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window hidden, in the state it has before a run. It deletes
    // itself when the user closes it. `parent` is the window it belongs to.
    OutputWindow(QWidget* parent, std::shared_ptr<const Dialogs> dialogs);

    // The three states a PROCESS run puts the window in.
    void showProcessingState();  // progress and Cancel; the window itself is shown by the caller
    void showDoneState(double fontSize);
    void showCancelledState();  // caption back, window hidden

    // The progress bar's value out of `maximum`.
    void showProgress(int value, int maximum);
    // Writes the size and modification captions.
    void setResultCaptions(const QString& size, const QString& modifications);
    void showWarning(const QString& text);

    // Puts a new, empty output box in the place of the last one (hidden,
    // at the calculator font). A box that was never shown takes a long text
    // several times faster than one that has been laid out on screen. The old
    // box is hidden and destroyed by disposeRetiredBox() (or the next renewal,
    // or with the window): destroying a long laid-out text takes a while,
    // which a run spends at a turn of the event loop rather than at its start.
    void renewOutputBox();
    void disposeRetiredBox();

    // The output box's content: appended at the caret, or set whole without
    // building its document while the box is hidden (see
    // CalculatorTextEdit::setTextDeferred).
    void appendOutput(std::string_view codes);
    void setOutputUnbuilt(std::string codes);

    // The processed text the window shows; nothing while a run is in
    // progress or after one was cancelled.
    std::optional<std::string> processedText() const;

    // Where the pictures of the text's "_PIC" lines are found when it is
    // saved as calculator text or sent: the document's folder and images.
    void setPictureSources(PictureSources sources) { pictureSources_ = std::move(sources); }
    const PictureSources& pictureSources() const { return pictureSources_; }

    // True while a Send to Calculator of this window is under way.
    bool isSending() const;

    // True once the user closed the window (it is then on its way out and a
    // new run needs a new window).
    bool isClosed() const { return closed_; }

#ifdef TESSALINE_HAVE_LINK
    // The link "Send to Calculator" uses; by default the TI link libraries',
    // made when first needed.
    void setCalculatorLink(std::shared_ptr<CalculatorLink> link);
#endif

signals:
    void cancelPressed();
    // The user closed the window.
    void closed();
    // File > Calculator Screen…: the processed text is to be shown as the
    // calculator's screens.
    void calculatorScreenRequested(const std::string& codes);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    CalculatorTextEdit* makeOutputBox();
    void prepareLayoutWidth(CalculatorTextEdit* box);
    void fitLabels();
    void saveProcessedText();
    void copyToClipboard();
    void saveCalculatorText();
    void writeCalculatorText(const CalcWriteOptions& options, std::size_t partsOffered,
                             const std::vector<CalcPicture>& pictures);
    // The list of the pictures `codes` asks for, for a dialog to take.
    PictureList* makePictureList(const std::string& codes);
    std::string calculatorName() const;
#ifdef TESSALINE_HAVE_LINK
    void sendToCalculator();
#endif

    std::shared_ptr<const Dialogs> dialogs_;
    PictureSources pictureSources_;
    QLabel* sizeCaption_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QLabel* modificationsLabel_ = nullptr;
    QLabel* modificationsCaption_ = nullptr;
    CalculatorTextEdit* outputBox_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* copyAction_ = nullptr;
#ifdef TESSALINE_HAVE_LINK
    std::shared_ptr<CalculatorLink> link_;
    QPointer<SendDialog> sendDialog_;  // the last one opened
#endif

    QPointer<CalculatorTextEdit> retired_;  // the output box of the last run, hidden
    QString lastSaveName_;                  // offered by the next Save dialog
    QString lastCalcSaveName_;              // the last calculator file saved
    bool closed_ = false;
    bool placed_ = false;
    bool hasResult_ = false;  // the box holds a completed run's text
};

}  // namespace tessaline
