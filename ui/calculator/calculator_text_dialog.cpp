#include "ui/calculator/calculator_text_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <vector>

#include "formats/calc_picture.h"
#include "ui/calculator/calculator_fields.h"
#include "ui/calculator/picture_list.h"
#include "ui/counts.h"

namespace tessaline {

CalculatorTextDialog::CalculatorTextDialog(QWidget* parent, const std::string& name, std::size_t parts,
                                           std::size_t memoryUse, PictureList* pictures)
    : QDialog(parent), memoryUse_(memoryUse)
{
    setObjectName(QStringLiteral("calculatorTextDialog"));
    setWindowTitle(QStringLiteral("Save as Calculator Text"));
    auto* layout = new QVBoxLayout(this);
    fields_ = new CalculatorFields(this, name);
    layout->addWidget(fields_);

    const bool withPictures = pictures && !pictures->entries().empty();
    if (withPictures) {
        pictures_ = pictures;
        pictures->setParent(this);
        pictures->setCalculator(fields_->calculator());
        connect(fields_, &CalculatorFields::calculatorChanged, pictures,
                [this] { pictures_->setCalculator(fields_->calculator()); });
        layout->addWidget(pictures);
    } else if (pictures) {
        pictures->deleteLater();
    }
    if (parts > 1) {
        auto* note =
            new QLabel(QStringLiteral("The text needs %1 variables (each at most %2 bytes), numbered after the name.")
                           .arg(formatCount(std::int64_t(parts)), formatCount(std::int64_t(kMaxVariableText))),
                       this);
        note->setObjectName(QStringLiteral("partsNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    if (parts > 1 || withPictures) {
        groupChoice_ = new QRadioButton(withPictures ? QStringLiteral("One &group file (the text and its pictures)")
                                                     : QStringLiteral("One &group file"),
                                        this);
        groupChoice_->setObjectName(QStringLiteral("groupFile"));
        groupChoice_->setChecked(true);
        auto* perPart = new QRadioButton(withPictures ? QStringLiteral("The text file and one file &per picture")
                                                      : QStringLiteral("One file &per part"),
                                         this);
        perPart->setObjectName(QStringLiteral("filePerPart"));
        layout->addWidget(groupChoice_);
        layout->addWidget(perPart);
    }

    memoryWarning_ = new QLabel(this);
    memoryWarning_->setObjectName(QStringLiteral("memoryWarning"));
    memoryWarning_->setWordWrap(true);
    layout->addWidget(memoryWarning_);
    showMemoryWarning();
    connect(fields_, &CalculatorFields::calculatorChanged, this, &CalculatorTextDialog::showMemoryWarning);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CalculatorTextDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CalculatorTextDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CalcWriteOptions CalculatorTextDialog::writeOptions() const
{
    CalcWriteOptions options;
    options.format.calculator = fields_->calculator();
    options.format.group = groupChoice_ && groupChoice_->isChecked();
    options.name = fields_->name();
    options.folder = fields_->folder();
    return options;
}

void CalculatorTextDialog::showMemoryWarning()
{
    const std::string warning = calcMemoryWarning(
        memoryUse_, fields_->calculator(), [](std::size_t n) { return formatCount(std::int64_t(n)).toStdString(); });
    memoryWarning_->setText(QString::fromStdString(warning));
    memoryWarning_->setVisible(!warning.empty());
}

std::vector<CalcPicture> CalculatorTextDialog::pictures() const
{
    return pictures_ ? pictures_->pictures() : std::vector<CalcPicture>();
}

void CalculatorTextDialog::accept()
{
    if (fields_->check())
        QDialog::accept();
}

QString calcFileFilter(CalcFormat format)
{
    return QStringLiteral("%1 %2 (*.%3)")
        .arg(QString::fromStdString(calculatorModelName(format.calculator)),
             format.group ? QStringLiteral("group") : QStringLiteral("text"),
             QString::fromStdString(calcFileExtension(format)));
}

QString calcFilePath(const QString& chosenPath, CalcFormat format)
{
    const QFileInfo chosen(chosenPath);
    const QString extension = QString::fromStdString(calcFileExtension(format));
    const QString suffix = chosen.suffix();
    if (suffix.compare(extension, Qt::CaseInsensitive) == 0)
        return chosenPath;
    const bool fileExtension = suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0
                               || suffix.compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0
                               || calcFormatFromExtension(suffix.toStdString());
    const QString base =
        fileExtension && !chosen.completeBaseName().isEmpty() ? chosen.completeBaseName() : chosen.fileName();
    return chosen.dir().filePath(base + QLatin1Char('.') + extension);
}

QStringList calcFilePaths(const CalcWriteResult& written, const QString& chosenPath)
{
    const QFileInfo chosen(chosenPath);
    const QString suffix = chosen.suffix().isEmpty() ? QString() : QLatin1Char('.') + chosen.suffix();
    std::size_t texts = 0;
    for (const CalcFileBytes& file : written.files)
        texts += !calcPictureCalculatorFromExtension(file.extension);
    QStringList paths;
    std::size_t text = 0;
    for (const CalcFileBytes& file : written.files) {
        if (calcPictureCalculatorFromExtension(file.extension))
            paths << chosen.dir().filePath(QString::fromStdString(file.variableName + "." + file.extension));
        else if (texts <= 1)
            paths << chosenPath;
        else
            paths << chosen.dir().filePath(chosen.completeBaseName() + QString::number(++text) + suffix);
    }
    return paths;
}

bool writeCalcFiles(const CalcWriteResult& written, const QStringList& paths, SaveFailure* failure)
{
    std::vector<FileToSave> files;
    files.reserve(written.files.size());
    for (std::size_t i = 0; i < written.files.size(); ++i)
        files.push_back({paths.at(qsizetype(i)), written.files[i].bytes});
    return saveFilesSafely(files, failure);
}

}  // namespace tessaline
