#include "ui/editor/shown_text.h"

#include <QList>

#include <algorithm>
#include <array>
#include <string>

#include "charset/charset.h"
#include "charset/utf16.h"

namespace tessaline {

namespace {

using charset::kCr;
using charset::kLf;

// The shown form of every code as a QString, made once from the character
// table.
struct ShownTable {
    std::array<QString, 256> shown;

    ShownTable()
    {
        for (int code = 0; code < 256; ++code) {
            const std::u32string_view text = charset::shown(static_cast<unsigned char>(code));
            shown[code] = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
};

const ShownTable& table()
{
    static const ShownTable t;
    return t;
}

std::u16string_view unitsOf(const QChar* text, int from, int size)
{
    return std::u16string_view(reinterpret_cast<const char16_t*>(text + from), static_cast<std::size_t>(size - from));
}

}  // namespace

int shownFormUnits(const QChar* text, int i, int size)
{
    const auto m = charset::matchShown(unitsOf(text, i, size));
    return m ? static_cast<int>(m->units) : 1;
}

int continuingUnits(const QString& text, int end)
{
    const QChar* data = text.constData();
    const int size = static_cast<int>(text.size());
    end = std::min(end, size);
    int count = 0;
    for (int i = 0; i < end;) {
        const int units = shownFormUnits(data, i, size);
        count += std::min(units, end - i) - 1;
        i += units;
    }
    return count;
}

bool continuesShownForm(QChar c)
{
    const char16_t unit = c.unicode();
    return unit != kParagraphSeparator && !charset::matchShown(std::u16string_view(&unit, 1));
}

bool allShownForms(const QString& text)
{
    const QChar* data = text.constData();
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        if (text[i].unicode() == kParagraphSeparator)
            continue;
        const auto m = charset::matchShown(unitsOf(data, i, n));
        if (!m)
            return false;
        i += static_cast<int>(m->units) - 1;
    }
    return true;
}

std::string incomingCodes(const QString& text, std::size_t* replaced)
{
    const charset::Conversion conversion =
        charset::fromUtf16(unitsOf(text.constData(), 0, static_cast<int>(text.size())));
    if (replaced != nullptr)
        *replaced = conversion.replaced;
    return charset::normalizeLineEnds(conversion.codes);
}

QString shownText(std::string_view codes)
{
    const auto& t = table();
    QString out;
    out.reserve(static_cast<qsizetype>(codes.size() + codes.size() / 64 + 1));
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(codes[i]);
        if (c == kCr) {
            out += QChar(u'\n');
            if (i + 1 < codes.size() && codes[i + 1] == kLf)
                ++i;
        } else if (c == kLf) {
            out += QChar(u'\n');
        } else {
            out += t.shown[c];
        }
    }
    return out;
}

std::string codesOfText(const QString& text, std::size_t* replaced)
{
    std::size_t unknown = 0;
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == kParagraphSeparator || c == kLineSeparator || c == u'\n') {
            out += "\r\n";
            continue;
        }
        if (c == u'\r') {
            out += "\r\n";
            if (i + 1 < n && text[i + 1].unicode() == u'\n')
                ++i;
            continue;
        }
        if (const auto m = charset::matchShown(unitsOf(text.constData(), i, n))) {
            out.push_back(static_cast<char>(m->code));
            i += static_cast<int>(m->units) - 1;
            continue;
        }
        // Another spelling (an alias, a surrogate pair, a character without a
        // code): the character table decides, a few characters at a time.
        int end = i + 1;
        while (end < n && end < i + 4 && text[end].unicode() != kParagraphSeparator)
            ++end;
        const QList<uint> ucs4 = text.mid(i, end - i).toUcs4();
        const std::u32string points(ucs4.begin(), ucs4.end());
        if (auto m = charset::matchCode(points)) {
            out.push_back(static_cast<char>(m->code));
            // Advance by the UTF-16 units of the matched code points.
            std::size_t units = 0;
            for (std::size_t k = 0; k < m->length; ++k)
                units += charset::utf16::unitCount(points[k]);
            i += static_cast<int>(units) - 1;
        } else {
            const charset::Conversion conv = charset::fromUnicode(std::u32string_view(points).substr(0, 1));
            out += conv.codes;
            unknown += conv.replaced;
            i += static_cast<int>(charset::utf16::unitCount(points[0])) - 1;
        }
    }
    if (replaced)
        *replaced = unknown;
    return out;
}

}  // namespace tessaline
