// "Save as Calculator Text": the small dialog that asks for the calculator,
// the variable name and the folder (and, for a text that needs several
// variables, one group file or one file per part), and the writing of the
// files the user then chooses.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "formats/calc_text_file.h"
#include "ui/document/safe_save.h"

class QLabel;
class QRadioButton;

namespace tessaline {

class CalculatorFields;
class PictureList;

class CalculatorTextDialog : public QDialog {
    Q_OBJECT
public:
    // `parts` is the number of variables the text needs; with more than one,
    // or with pictures, the dialog offers a group file (the default) or one
    // file per variable. `memoryUse` is the bytes they take on a calculator:
    // a line warns while the chosen calculator has too little RAM for them.
    // `pictures` (may be null) lists the text's pictures; the dialog takes it
    // into its layout, and drops it when there are none.
    CalculatorTextDialog(QWidget* parent, const std::string& name, std::size_t parts, std::size_t memoryUse,
                         PictureList* pictures = nullptr);

    // What the user chose; the name and folder are valid once accepted.
    CalcWriteOptions writeOptions() const;
    // The pictures found or chosen, saved with the text.
    std::vector<CalcPicture> pictures() const;

    // Closes with Accepted only when the name and the folder are valid.
    void accept() override;

private:
    void showMemoryWarning();

    CalculatorFields* fields_ = nullptr;
    QRadioButton* groupChoice_ = nullptr;
    QLabel* memoryWarning_ = nullptr;
    std::size_t memoryUse_ = 0;
    PictureList* pictures_ = nullptr;
};

// The name filter of the save dialog for `format` ("TI-89 text (*.89t)").
QString calcFileFilter(CalcFormat format);

// The file a name chosen in the save dialog stands for: the name as it is
// when it ends with the format's extension; otherwise the extension added,
// in place of a text or calculator file's extension the name has
// ("victim" and "novel.txt" give victim.89g and novel.89g).
QString calcFilePath(const QString& chosenPath, CalcFormat format);

// Where the files of `written` go when the user chose `chosenPath`: a group
// file or a single variable at the chosen path, one file per part beside it
// with the part's number after the name ("notes.89t" gives notes1.89t,
// notes2.89t, …), and each picture file beside them by its name (rose.89i).
QStringList calcFilePaths(const CalcWriteResult& written, const QString& chosenPath);

// Writes every file of `written` to `paths` (as calcFilePaths gives them),
// all or nothing (saveFilesSafely); `failure` then names the file and says
// why.
bool writeCalcFiles(const CalcWriteResult& written, const QStringList& paths, SaveFailure* failure);

}  // namespace tessaline
