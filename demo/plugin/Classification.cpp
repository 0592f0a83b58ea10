#include "demo/plugin/Classification.h"

#include "extension/Findings.h"

#include <algorithm>
#include <cctype>

namespace NGenotyper {

namespace {

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
    // The panel's classes are the base library's significances, in the same order.
    return index >= 0 && index < c_nClassificationCount
               ? NTarsel::NExtension::CFindings::significanceText(
                   static_cast<NTarsel::NExtension::EClinicalSignificance>(index))
               : std::string();
}

bool parseClassification(const std::string& text, EClassification* classification)
{
    for (int index = 0; index < c_nClassificationCount; ++index) {
        if (sameLetters(text, classificationText(static_cast<EClassification>(index)))) {
            *classification = static_cast<EClassification>(index);
            return true;
        }
    }
    return false;
}

} // namespace NGenotyper
