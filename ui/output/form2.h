// The output window "Processed Text": the processed text with its size and
// number of modifications, or, during a run, a progress bar and Cancel.
#pragma once

#include <QMainWindow>

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

public slots:
    void Command1_Click();   // Cancel
    void save_Click();
    void copy_Click();

private:
    Form1& owner_;
    AppState& state_;
};

}  // namespace tessaline
