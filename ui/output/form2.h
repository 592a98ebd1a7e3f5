// The output window "Processed Text": the processed text with its size and
// number of modifications, or, during a run, a progress bar and Cancel.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace tessaline {

struct AppState;
class Form1;
class RichTextBox;

class Form2 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window in its design state (hidden). It deletes itself when
    // the user closes it; the owner's QPointer then reads null.
    Form2(Form1& owner, AppState& state);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    RichTextBox* text2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* Command1 = nullptr;
    QMenu* file = nullptr;
    QAction* save = nullptr;
    QAction* copy = nullptr;

    // The three display states the PROCESS run puts the window in.
    void showProcessingState();   // steps 1 to 6 of a run (not the show itself)
    void showDoneState(double fontSize);
    void showCancelledState();    // caption back, window hidden

    // Writes the size and modification captions (Label2, Label4).
    void setResultCaptions(const QString& size, const QString& modifications);

    // Puts a new, empty output box in the place of text2 (hidden, design
    // font). A box that was never shown takes a long text several times
    // faster than one that has been laid out on screen. The old box is
    // hidden and destroyed by disposeRetiredBox() (or the next renewal, or
    // with the window): destroying a long laid-out text takes a while, which
    // the run spends at a turn of the event loop rather than at its start.
    // Not to be called from a handler of text2 itself.
    RichTextBox* renewOutputBox();
    void disposeRetiredBox();

    // Warnings of this window (a refused limit, a failed save). Defaults to
    // QMessageBox::warning; tests replace it so that nothing blocks.
    using MessageSink = std::function<void(QWidget* parent, const QString& title, const QString& text)>;
    MessageSink messageSink;
    void showWarning(const QString& text);

    // Test point: called with the position of each character as the
    // line-break pass finishes it (before its progress is shown). Empty in
    // the program.
    std::function<void(std::int64_t charPos)> onProcessCharacter;

    // True once the user closed the window (it is then on its way out and a
    // new run needs a new window).
    bool isClosed() const { return closed_; }

    // The file name last chosen in the Save dialog of this window.
    QString lastSaveFileName() const { return lastSaveName_; }

public slots:
    void Command1_Click();   // Cancel
    void save_Click();
    void copy_Click();

protected:
    void closeEvent(QCloseEvent* event) override;   // Form_Unload
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    RichTextBox* makeOutputBox();
    void fitLabels();
    void centreOnOwner();

    Form1& owner_;
    AppState& state_;
    QPointer<RichTextBox> retired_;   // the output box of the last run, hidden
    QString lastSaveName_;
    bool closed_ = false;
    bool placed_ = false;
};

}  // namespace tessaline
