#pragma once

#include <string>

namespace NGenotyper {

// The clinical classes of a known variant, the most severe first: the findings
// table is ordered this way.
enum EClassification
{
    ClassificationPathogenic = 0,
    ClassificationLikelyPathogenic,
    ClassificationUncertain,
    ClassificationLikelyBenign,
    ClassificationBenign
};

const int c_nClassificationCount = 5;

// The text that reference tables and the memo colours use, and that reports show
// translated (context "QObject"): "Pathogenic", "Likely pathogenic", "Uncertain
// significance", "Likely benign", "Benign".
std::string classificationText(EClassification classification);

// The class whose text is text (letter case aside); false for any other text.
bool parseClassification(const std::string& text, EClassification* classification);

} // namespace NGenotyper
