#include "ui/fonts.h"

#include <QStringList>

namespace tessaline {

namespace {

// The stand-ins are added once: a family that already has its first
// stand-in keeps its list. DejaVu covers most of the calculator's characters;
// Symbola draws the rest (the arrows and symbols of codes 0-31).
void addStandIns(const char* family, const QStringList& standIns)
{
    const QString name = QString::fromLatin1(family);
    if (!QFont::substitutes(name).contains(standIns.front()))
        QFont::insertSubstitutions(name, standIns);
}

}  // namespace

QFont dialogFont(double points)
{
    addStandIns(kDialogFontFamily, {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("DejaVu Sans"), QStringLiteral("Symbola")});
    QFont font(QString::fromLatin1(kDialogFontFamily));
    font.setPointSizeF(points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont calculatorFont(double points)
{
    addStandIns(kCalculatorFontFamily,
                {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("DejaVu Sans"), QStringLiteral("Symbola")});
    QFont font(QString::fromLatin1(kCalculatorFontFamily));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace tessaline
