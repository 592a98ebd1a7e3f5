// The main window: the editor, the markup tools, the line-length frame, the
// text-size buttons, the special-character palette, PROCESS and the menus.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace tessaline {

struct AppState;
class FileDialogs;
class Form2;
class RichTextBox;
class frmAbout;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds every control in its design state, then runs Form_Load. The
    // state object outlives the window. Dialogs default to the real ones.
    explicit Form1(AppState& state, QWidget* parent = nullptr);
    ~Form1() override;

    AppState& state() { return state_; }
    void setFileDialogs(std::shared_ptr<FileDialogs> dialogs);
    FileDialogs& fileDialogs();

    // Message boxes of the window (a failed open or save, replaced
    // characters). Tests replace the sink so that nothing blocks; an empty
    // sink restores the real message box.
    using MessageSink = std::function<void(const QString& title, const QString& text)>;
    void setMessageSink(MessageSink sink);
    void showMessage(const QString& title, const QString& text);

    // The output window, created on first use (nullptr until then, and after
    // the user closed it).
    Form2* outputWindow() const;
    Form2* ensureOutputWindow();
    frmAbout* aboutBox() const;

    // Controls, by their layout names.
    QGroupBox* Frame7 = nullptr;
    QComboBox* Combo1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label2 = nullptr;
    RichTextBox* Text1 = nullptr;
    QListWidget* List1 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command6 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QCheckBox* Check3 = nullptr;
    std::array<QPushButton*, 64> Command5{};
    QCheckBox* Check2 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command2 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLabel* Label7 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* Command3 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLabel* Label8 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QPushButton* Command4 = nullptr;
    QLabel* Label1 = nullptr;

    // Menus.
    QMenu* file = nullptr;
    QAction* load = nullptr;
    QAction* save = nullptr;
    QAction* quit = nullptr;
    QMenu* settings = nullptr;
    QAction* wrap = nullptr;
    QAction* about = nullptr;

    // The central widget whose height is the client area below the menu bar.
    QWidget* clientArea() const { return client_; }
    // Sets the window's outer height as the layout gives it (twips), keeping
    // the client area's share of it.
    void setOuterHeightTwips(int height);
    // Height of the menu bar above the client area, in pixels.
    int menuBarHeight() const;
    // Places the window in the middle of its screen's available area.
    void centerOnScreen();

public slots:
    void Form_Load();
    void Combo1_Click();
    void Command1_Click();            // PROCESS
    void Command2_Click();            // insert chapter
    void Command3_Click();            // insert picture
    void Command4_Click();            // insert page break
    void Command5_Click(int Index);   // palette
    void Command6_Click();            // font size +
    void Command7_Click();            // font size -
    void Check1_Click();              // Hide Tools
    void Check2_Click();              // Big Buttons
    void Check3_Click();              // palette shown / collapsed
    void wrap_Click();
    void load_Click();
    void save_Click();
    void quit_Click();
    void about_Click();

protected:
    void closeEvent(QCloseEvent* event) override;   // Form_Unload

private:
    void buildControls();
    void buildMenus();
    // Inserts a markup command on a line of its own at the editor's caret.
    void insertCommandLine(const std::string& body);
    // Ends the program with every window, abandoning a run in progress.
    void Form_Unload();

    AppState& state_;
    std::shared_ptr<FileDialogs> dialogs_;
    MessageSink messageSink_;
    QWidget* client_ = nullptr;
    QPointer<Form2> form2_;
    QPointer<frmAbout> aboutBox_;
    bool running_ = false;   // a PROCESS run is in progress
    friend class ProcessRun;
};

}  // namespace tessaline
