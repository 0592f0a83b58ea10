#include "demo/plugin/Classification.h"

#include <QtGlobal>

#include <algorithm>
#include <cctype>

namespace NGenotyper {

namespace {

// Reports show them translated; they stay the keys of tables and colours.
const char* const c_sTexts[c_nClassificationCount] = {
    QT_TRANSLATE_NOOP("QObject", "Pathogenic"), QT_TRANSLATE_NOOP("QObject", "Likely pathogenic"),
    QT_TRANSLATE_NOOP("QObject", "Uncertain significance"), QT_TRANSLATE_NOOP("QObject", "Likely benign"),
    QT_TRANSLATE_NOOP("QObject", "Benign")};

bool sameLetters(const std::string& left, const std::string& right)
{
    return left.size() == right.size()
           && std::equal(left.begin(), left.end(), right.begin(), [](char a, char b) {
                  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
              });
}

} // namespace

std::string classificationText(EClassification classification)
{
    const int index = static_cast<int>(classification);
    return index >= 0 && index < c_nClassificationCount ? c_sTexts[index] : std::string();
}

bool parseClassification(const std::string& text, EClassification* classification)
{
    for (int index = 0; index < c_nClassificationCount; ++index) {
        if (sameLetters(text, c_sTexts[index])) {
            *classification = static_cast<EClassification>(index);
            return true;
        }
    }
    return false;
}

} // namespace NGenotyper
