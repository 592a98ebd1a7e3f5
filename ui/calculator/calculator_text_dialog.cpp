#include "ui/calculator/calculator_text_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSaveFile>
#include <QVBoxLayout>
#include <memory>
#include <vector>

#include "ui/calculator/calculator_fields.h"
#include "ui/counts.h"

namespace tessaline {

CalculatorTextDialog::CalculatorTextDialog(QWidget* parent, const std::string& name, std::size_t parts)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("calculatorTextDialog"));
    setWindowTitle(QStringLiteral("Save as Calculator Text"));
    auto* layout = new QVBoxLayout(this);
    fields_ = new CalculatorFields(this, name);
    layout->addWidget(fields_);

    if (parts > 1) {
        auto* note =
            new QLabel(QStringLiteral("The text needs %1 variables (each at most %2 bytes), numbered after the name.")
                           .arg(formatCount(std::int64_t(parts)), formatCount(std::int64_t(kMaxVariableText))),
                       this);
        note->setObjectName(QStringLiteral("partsNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
        groupChoice_ = new QRadioButton(QStringLiteral("One &group file"), this);
        groupChoice_->setObjectName(QStringLiteral("groupFile"));
        groupChoice_->setChecked(true);
        auto* perPart = new QRadioButton(QStringLiteral("One file &per part"), this);
        perPart->setObjectName(QStringLiteral("filePerPart"));
        layout->addWidget(groupChoice_);
        layout->addWidget(perPart);
    }

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

void CalculatorTextDialog::accept()
{
    if (fields_->check())
        QDialog::accept();
}

QString calcFileFilter(CalcFormat format)
{
    const char* model = format.calculator == Calculator::Ti89       ? "TI-89"
                        : format.calculator == Calculator::Ti92Plus ? "TI-92 Plus"
                                                                    : "Voyage 200";
    return QStringLiteral("%1 %2 (*.%3)")
        .arg(QLatin1String(model), format.group ? QStringLiteral("group") : QStringLiteral("text"),
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
    if (written.files.size() <= 1)
        return {chosenPath};
    const QFileInfo chosen(chosenPath);
    const QString suffix = chosen.suffix().isEmpty() ? QString() : QLatin1Char('.') + chosen.suffix();
    QStringList paths;
    for (std::size_t i = 0; i < written.files.size(); ++i)
        paths << chosen.dir().filePath(chosen.completeBaseName() + QString::number(i + 1) + suffix);
    return paths;
}

bool writeCalcFiles(const CalcWriteResult& written, const QStringList& paths, QString* error)
{
    // All files are complete under their temporary names before the first
    // takes its place.
    std::vector<std::unique_ptr<QSaveFile>> files;
    for (std::size_t i = 0; i < written.files.size(); ++i) {
        const QString& path = paths.at(qsizetype(i));
        auto& file = files.emplace_back(std::make_unique<QSaveFile>(path));
        const std::string& bytes = written.files[i].bytes;
        if (!file->open(QIODevice::WriteOnly) || file->write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())
            || !file->flush() || file->error() != QFileDevice::NoError) {
            *error = QStringLiteral("\"%1\" could not be written: %2")
                         .arg(QDir::toNativeSeparators(path), file->errorString());
            return false;  // the QSaveFiles remove their temporary files
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->commit()) {
            *error = QStringLiteral("\"%1\" could not be written: %2")
                         .arg(QDir::toNativeSeparators(paths.at(qsizetype(i))), files[i]->errorString());
            return false;
        }
    }
    return true;
}

}  // namespace tessaline
