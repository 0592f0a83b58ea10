// Reads the input as a sample's VCF file (plain, BGZF or BCF: htslib tells them
// apart by their bytes) and matches its calls against the demo's reference panels,
// as the Genotyper does for an analysis.
#include "fuzz/FuzzSupport.h"

#include "demo/plugin/PanelResult.h"
#include "demo/plugin/ReferenceTable.h"
#include "demo/plugin/VcfReader.h"

#include <QString>

#include <htslib/hts.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::unique_ptr<NGenotyper::CReferenceTable> > g_panels;

void loadPanel(const char* name)
{
    const std::string path = std::string(TARSEL_DEMO_DATA_DIR) + "/genotyper/references/" + name;
    std::string error;
    auto panel = std::make_unique<NGenotyper::CReferenceTable>();
    if (!panel->load(path, &error))
        NFuzz::Fail("cannot read the reference panel", QString::fromStdString(error));
    g_panels.push_back(std::move(panel));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    NFuzz::InitQt(false);
    // Its warnings about every odd record would drown the fuzzer's output.
    hts_set_log_level(HTS_LOG_OFF);
    loadPanel("cardio-panel.tsv");
    loadPanel("pharmaco-panel.tsv");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = NFuzz::WriteInput(QStringLiteral("sample.vcf"), data, size);
    const std::string localPath = path.toLocal8Bit().toStdString();
    NGenotyper::CVcfReader reader;
    std::string error;
    // Most seeds name their sample column S1; the others take the road of a column
    // that the file lacks.
    if (!reader.read(localPath, "S1", &error)) {
        if (error.compare(0, localPath.size(), localPath) != 0)
            NFuzz::Fail("the reason for a refused VCF does not start with the file name", QString::fromStdString(error));
        if (!reader.calls().empty() || reader.recordCount() != 0)
            NFuzz::Fail("a refused VCF left calls behind");
        return 0;
    }
    if (reader.sampleName() != "S1")
        NFuzz::Fail("a sample column other than the one asked for was read", QString::fromStdString(reader.sampleName()));
    for (const NGenotyper::SVariantCall& call : reader.calls()) {
        if (call.pos < 1 || call.chrom.empty())
            NFuzz::Fail("a call without a chromosome or a position", QString::fromStdString(call.chrom));
        if (NGenotyper::zygosityText(call.zygosity).empty())
            NFuzz::Fail("a call of no known zygosity");
    }
    if (reader.meanDepth() < 0)
        NFuzz::Fail("a negative mean depth");
    for (const auto& panel : g_panels) {
        const NGenotyper::CPanelResult result(reader, *panel);
        if (result.summary().findings != static_cast<int>(result.findings().size())
            || result.summary().variantsInFile != reader.recordCount())
            NFuzz::Fail("the summary does not match the findings");
        if (result.status().empty())
            NFuzz::Fail("a result without a status");
    }
    return 0;
}
