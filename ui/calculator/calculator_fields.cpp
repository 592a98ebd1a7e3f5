#include "ui/calculator/calculator_fields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace tessaline {

CalculatorFields::CalculatorFields(QWidget* parent, const std::string& name) : QWidget(parent)
{
    form_ = new QFormLayout(this);
    form_->setContentsMargins(0, 0, 0, 0);

    calculator_ = new QComboBox(this);
    calculator_->setObjectName(QStringLiteral("calculator"));
    for (Calculator calculator : {Calculator::Ti89, Calculator::Ti92Plus, Calculator::Voyage200})
        calculator_->addItem(QString::fromStdString(calculatorModelName(calculator)), int(calculator));
    form_->addRow(QStringLiteral("&Calculator:"), calculator_);
    connect(calculator_, &QComboBox::currentIndexChanged, this, &CalculatorFields::calculatorChanged);

    name_ = new QLineEdit(QString::fromStdString(name), this);
    name_->setObjectName(QStringLiteral("variableName"));
    form_->addRow(QStringLiteral("&Variable name:"), name_);

    folder_ = new QLineEdit(QStringLiteral("main"), this);
    folder_->setObjectName(QStringLiteral("folder"));
    form_->addRow(QStringLiteral("&Folder:"), folder_);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("nameProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->hide();
    form_->addRow(problem_);
    connect(name_, &QLineEdit::textEdited, problem_, &QLabel::hide);
    connect(folder_, &QLineEdit::textEdited, problem_, &QLabel::hide);
}

Calculator CalculatorFields::calculator() const { return static_cast<Calculator>(calculator_->currentData().toInt()); }

std::string CalculatorFields::name() const { return name_->text().toStdString(); }

std::string CalculatorFields::folder() const { return folder_->text().toStdString(); }

bool CalculatorFields::check()
{
    for (auto [edit, role] : {std::pair{name_, NameRole::Variable}, std::pair{folder_, NameRole::Folder}}) {
        const std::string problem = calcNameProblem(edit->text().toStdString(), role);
        if (!problem.empty()) {
            problem_->setText(QString::fromStdString(problem));
            problem_->show();
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    problem_->hide();
    return true;
}

}  // namespace tessaline
