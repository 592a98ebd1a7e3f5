// The calculator, variable name and folder that both the calculator-file and
// the send dialog ask for, with a line saying which naming rule an entry
// breaks.
#pragma once

#include <QWidget>
#include <string>

#include "formats/calc_text_file.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;

namespace tessaline {

class CalculatorFields : public QWidget {
    Q_OBJECT
public:
    // `name` prefills the variable name (valid already); the folder starts as "main".
    CalculatorFields(QWidget* parent, const std::string& name);

    Calculator calculator() const;
    std::string name() const;
    std::string folder() const;

    // True when the name and the folder are valid; otherwise the problem
    // line says which rule one of them breaks and the field takes the focus.
    bool check();
    // The layout, for the dialogs to add their own rows below.
    QFormLayout* form() const { return form_; }

signals:
    void calculatorChanged();

private:
    QFormLayout* form_ = nullptr;
    QComboBox* calculator_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLabel* problem_ = nullptr;
};

}  // namespace tessaline
