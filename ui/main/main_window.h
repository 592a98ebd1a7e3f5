// The main window: the editor, the markup tools, the line-length frame, the
// text-size buttons, the special-character palette, PROCESS and the menus.
#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <string>

#include "formats/text_pictures.h"
#include "ui/document/document_file.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tessaline {

class AboutBoxOwner;
struct AppState;
struct Dialogs;
class FileDialogs;
class HyphenationMenu;
class MessageBoxes;
class ProcessRun;
class CalculatorTextEdit;
class DocumentTask;

class MainWindow : public QMainWindow {
    Q_OBJECT
    struct Opening;
    struct Saving;

public:
    // Builds every control, then sets the starting state. The state object
    // outlives the window. Dialogs and message boxes are the real ones until
    // replaced.
    explicit MainWindow(AppState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Replace the dialogs of this window and of the windows it opens.
    void setFileDialogs(std::shared_ptr<FileDialogs> dialogs);
    void setMessageBoxes(std::shared_ptr<MessageBoxes> boxes);

    // Texts at least this long are saved on a worker thread; shorter ones
    // are written at once.
    static constexpr std::size_t kBackgroundSaveBytes = std::size_t{1} << 20;

    // Where the pictures of the text opened last are found: the images it
    // brought (a book's, a group file's) and its folder.
    const PictureSources& documentPictures() const { return documentPictures_; }

signals:
    // An Open Text that read a file has ended: opened, refused, failed or
    // cancelled (its messages shown).
    void openFinished();
    // A Save Text of a long text has ended: saved, failed or cancelled.
    void saveFinished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildPalette();
    void setStackingAndTabOrder();
    void connectControls();
    void buildMenus();
    void loadStartingState();

    // Sets the window's outer height as the layout gives it (twips), keeping
    // the client area's share of it.
    void setOuterHeightTwips(int height);
    int menuBarHeight() const;
    void placeEditor(int topTwips, int heightTwips);
    void showMessage(const QString& text);
    // A message about something that failed: open, save.
    void showFailure(const QString& text);
    // What a file of pictures only holds: each picture's name, size and look.
    void showPictureFile(const QString& path, const DocumentContent& document);
    // Says how many characters of an opened or pasted text had no
    // calculator code; nothing when none.
    void showReplacedCount(std::size_t replaced);
    // Inserts a markup command on a line of its own at the editor's caret.
    void insertCommandLine(const std::string& body);
    void giveEditorFocus();

    void process();
    void applyChosenPreset();
    void applyHideTools();
    void insertChapter();
    void insertPicture();
    void insertPageBreak();
    void insertPaletteCharacter(int index);
    void enlargeText();
    void reduceText();
    void showTextSize();
    void applyBigButtons();
    void applyPaletteShown();
    void openText();
    // Reads `path` on a worker thread; the editor gets the text when it is
    // read (fillStep), or keeps its own.
    void startOpening(const QString& path);
    void finishReading();
    // Gives the editor the next parts of the opened text, for a few
    // milliseconds of the event loop's time.
    void fillStep();
    void finishOpening();
    // True when the text was saved; false when it was not, or when a long
    // text is still being saved on a worker thread (saveFinished follows).
    bool saveText();
    void finishSaving();
    // The progress bar and Cancel over the editor while a file is read or
    // written; the controls that would change the text wait meanwhile.
    void showFileWork(bool working);
    void cancelFileWork();
    bool fileWorkRunning() const;
    // After an open or save that ran when the window was asked to close:
    // asks again.
    void endIfAsked();
    void showAbout();
    // Whether the program may end: asks to save changes the editor holds
    // and warns before cutting a transfer; false when the user cancelled.
    bool mayEnd();
    // Ends the program with every window, abandoning a run in progress.
    void quit();

    AppState& state_;
    std::shared_ptr<Dialogs> dialogs_;
    ProcessRun* run_ = nullptr;
    AboutBoxOwner* aboutBoxOwner_ = nullptr;
    QWidget* client_ = nullptr;

    QGroupBox* presetFrame_ = nullptr;
    QComboBox* presetCombo_ = nullptr;
    QCheckBox* hideToolsCheck_ = nullptr;
    QLineEdit* customSizeEdit_ = nullptr;
    QLabel* customSizeLabel_ = nullptr;
    CalculatorTextEdit* editor_ = nullptr;
    QListWidget* widthList_ = nullptr;  // the character widths: data, never shown
    QLabel* widthListNote_ = nullptr;   // never shown
    QGroupBox* textSizeFrame_ = nullptr;
    QPushButton* smallerTextButton_ = nullptr;
    QPushButton* largerTextButton_ = nullptr;
    QGroupBox* paletteFrame_ = nullptr;
    QCheckBox* paletteShownCheck_ = nullptr;
    std::array<QPushButton*, 64> paletteButtons_{};
    QCheckBox* bigButtonsCheck_ = nullptr;
    QPushButton* processButton_ = nullptr;
    QGroupBox* chapterFrame_ = nullptr;
    QPushButton* chapterButton_ = nullptr;
    QLineEdit* chapterTitleEdit_ = nullptr;
    QLabel* chapterTitleLabel_ = nullptr;
    // Where the pictures of the text opened last are found.
    PictureSources documentPictures_;
    QGroupBox* pictureFrame_ = nullptr;
    QPushButton* pictureButton_ = nullptr;
    QLineEdit* pictureNameEdit_ = nullptr;
    QLabel* pictureNameLabel_ = nullptr;
    QGroupBox* pageBreakFrame_ = nullptr;
    QPushButton* pageBreakButton_ = nullptr;
    QProgressBar* fileProgress_ = nullptr;
    QPushButton* fileCancelButton_ = nullptr;

    DocumentTask* fileTask_ = nullptr;  // the open or save on a worker thread
    std::unique_ptr<Opening> opening_;  // the open in progress
    QTimer* fillTimer_ = nullptr;
    std::unique_ptr<Saving> saving_;  // the save in progress
    bool endAfterFileWork_ = false;   // the window was asked to close meanwhile

    QMenu* fileMenu_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* quitAction_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    HyphenationMenu* hyphenationMenu_ = nullptr;
    QAction* wordWrapAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
};

}  // namespace tessaline
