#!/usr/bin/env python3
"""Writes the demo's reference panels and sample VCF files.

The data is made up: GRCh38-like coordinates inside the real genes' regions, but
no position, allele or classification is taken from any real source. Run it from
anywhere; it rewrites demo/data/genotyper/references/*.tsv and
demo/data/project/samples/*.vcf. The output is the same on every run.
"""

import os
import random
import re

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.dirname(HERE)

CONTIGS = [
    ("chr1", 248956422), ("chr2", 242193529), ("chr3", 198295559), ("chr4", 190214555),
    ("chr5", 181538259), ("chr6", 170805979), ("chr7", 159345973), ("chr8", 145138636),
    ("chr9", 138394717), ("chr10", 133797422), ("chr11", 135086622), ("chr12", 133275309),
    ("chr13", 114364328), ("chr14", 107043718), ("chr15", 101991189), ("chr16", 90338345),
    ("chr17", 83257441), ("chr18", 80373285), ("chr19", 58617616), ("chr20", 64444167),
    ("chr21", 46709983), ("chr22", 50818468), ("chrX", 156040895), ("chrY", 57227415),
    ("chrM", 16569),
]
CONTIG_ORDER = {name: index for index, (name, _) in enumerate(CONTIGS)}

# Gene: chromosome, strand, region start and end.
GENES = {
    "MYH7": ("chr14", "-", 23412740, 23435660),
    "MYBPC3": ("chr11", "-", 47331406, 47352702),
    "TNNT2": ("chr1", "-", 201359008, 201377764),
    "TNNI3": ("chr19", "-", 55151767, 55157773),
    "TPM1": ("chr15", "+", 63042632, 63071915),
    "LMNA": ("chr1", "+", 156082573, 156140089),
    "KCNQ1": ("chr11", "+", 2444684, 2849105),
    "KCNH2": ("chr7", "-", 150944961, 150978321),
    "SCN5A": ("chr3", "-", 38548062, 38649687),
    "CYP2C19": ("chr10", "+", 94759000, 94855547),
    "CYP2D6": ("chr22", "-", 42126499, 42130881),
    "DPYD": ("chr1", "-", 97077743, 97921049),
    "TPMT": ("chr6", "-", 18128311, 18155077),
    "SLCO1B1": ("chr12", "+", 21130388, 21239796),
    "VKORC1": ("chr16", "-", 31090842, 31096527),
}

P, LP, VUS, LB, B = ("Pathogenic", "Likely pathogenic", "Uncertain significance",
                     "Likely benign", "Benign")

# Gene, position, change, classification; genomic ref and alt only for the
# variants whose alleles do not follow from a single-base change.
CARDIO = [
    ("MYH7", 23429005, "c.1208G>A p.Arg403Gln", P),
    ("MYH7", 23426833, "c.1987C>T p.Arg663Cys", P),
    ("MYH7", 23425412, "c.2389G>A p.Ala797Thr", LP),
    ("MYH7", 23431585, "c.732C>T p.Phe244=", B),
    ("MYH7", 23424120, "c.2967C>T p.Asp989=", LB),
    ("MYBPC3", 47343158, "c.1504C>T p.Arg502Trp", P),
    ("MYBPC3", 47339500, "c.2308G>A p.Asp770Asn", LP),
    ("MYBPC3", 47334680, "c.3004C>T p.Arg1002Trp", VUS),
    ("MYBPC3", 47348490, "c.706A>G p.Ser236Gly", B),
    ("MYBPC3", 47350120, "c.472G>A p.Val158Met", B),
    ("TNNT2", 201365300, "c.274C>T p.Arg92Trp", P),
    ("TNNT2", 201359620, "c.832C>T p.Arg278Cys", VUS),
    ("TNNI3", 55154124, "c.433C>T p.Arg145Trp", P),
    ("TPM1", 63064012, "c.574G>A p.Glu192Lys", LP),
    ("LMNA", 156137203, "c.1130G>A p.Arg377His", P),
    ("LMNA", 156138504, "c.1589C>T p.Ala530Val", VUS),
    ("LMNA", 156138613, "c.1698C>T p.His566=", B),
    ("KCNQ1", 2570690, "c.569G>A p.Arg190Gln", P),
    ("KCNQ1", 2786113, "c.1552_1554del p.Phe518del", LP, "GTTC", "G"),
    ("KCNQ1", 2778050, "c.1343C>G p.Pro448Arg", B),
    ("KCNQ1", 2848021, "c.1927G>A p.Gly643Ser", LB),
    ("KCNH2", 150951620, "c.1714G>A p.Gly572Ser", P),
    ("KCNH2", 150947950, "c.2690A>C p.Lys897Thr", LB),
    ("SCN5A", 38551420, "c.5350G>A p.Glu1784Lys", P),
    ("SCN5A", 38579540, "c.3578G>A p.Arg1193Gln", LB),
    ("SCN5A", 38603929, "c.1673A>G p.His558Arg", B),
]

PHARMACO = [
    ("CYP2C19", 94781859, "c.681G>A p.Pro227=", P),
    ("CYP2C19", 94780653, "c.636G>A p.Trp212Ter", P),
    ("CYP2C19", 94761900, "c.-806C>T", LB),
    ("CYP2D6", 42128945, "c.506-1G>A", P),
    ("CYP2D6", 42130692, "c.100C>T p.Pro34Ser", LP),
    ("CYP2D6", 42127941, "c.886C>T p.Arg296Cys", B),
    ("CYP2D6", 42126611, "c.1457G>C p.Ser486Thr", B),
    ("DPYD", 97450058, "c.1905+1G>A", P),
    ("DPYD", 97082391, "c.2846A>T p.Asp949Val", P),
    ("DPYD", 97515787, "c.1679T>G p.Ile560Ser", P),
    ("DPYD", 97573863, "c.1236G>A p.Glu412=", LP),
    ("DPYD", 97883329, "c.85T>C p.Cys29Arg", B),
    ("TPMT", 18130918, "c.719A>G p.Tyr240Cys", P),
    ("TPMT", 18138997, "c.460G>A p.Ala154Thr", P),
    ("TPMT", 18143724, "c.238G>C p.Ala80Pro", P),
    ("SLCO1B1", 21178615, "c.521T>C p.Val174Ala", LP),
    ("SLCO1B1", 21176804, "c.388A>G p.Asn130Asp", B),
    ("VKORC1", 31096368, "c.-1639G>A", LP),
    ("VKORC1", 31093557, "c.174-136C>T", B),
]

COMPLEMENT = {"A": "T", "C": "G", "G": "C", "T": "A"}


def known_variant(entry):
    gene, pos, change, classification = entry[:4]
    chrom, strand, start, end = GENES[gene]
    assert start <= pos <= end, (gene, pos)
    if len(entry) > 4:
        ref, alt = entry[4], entry[5]
    else:
        match = re.match(r"c\.[-*]?[0-9+\-]+([ACGT])>([ACGT])", change)
        assert match, change
        ref, alt = match.group(1), match.group(2)
        if strand == "-":
            ref, alt = COMPLEMENT[ref], COMPLEMENT[alt]
    return {"chrom": chrom, "pos": pos, "ref": ref, "alt": alt, "gene": gene,
            "change": change, "classification": classification}


def write_panel(file_name, title, entries):
    path = os.path.join(DATA, "genotyper", "references", file_name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    variants = sorted((known_variant(entry) for entry in entries),
                      key=lambda v: (CONTIG_ORDER[v["chrom"]], v["pos"]))
    with open(path, "w", newline="\n") as out:
        out.write("# %s\n" % title)
        out.write("# Demo data: made-up GRCh38-like coordinates, not for clinical use.\n")
        out.write("# chrom\tpos\tref\talt\tgene\tchange\tclassification\n")
        for v in variants:
            out.write("\t".join([v["chrom"], str(v["pos"]), v["ref"], v["alt"], v["gene"],
                                 v["change"], v["classification"]]) + "\n")
    return {(v["gene"], v["change"].split()[0]): v for v in variants}


def allelic_depths(genotype, depth, allele_count, rng):
    if genotype in ("0/0", "0|0"):
        return [depth] + [0] * (allele_count - 1)
    if genotype in ("1/1", "1|1"):
        ref = rng.randint(0, 1)
        return [ref, depth - ref] + [0] * (allele_count - 2)
    if genotype == "1/2":
        first = depth // 2 + rng.randint(-4, 4)
        return [0, first, depth - first]
    alt = depth // 2 + rng.randint(-6, 6)
    return [depth - alt, alt] + [0] * (allele_count - 2)


def record(chrom, pos, ref, alts, genotype, depth, rng):
    ad = allelic_depths(genotype, depth, 1 + len(alts), rng)
    reference_call = genotype in ("0/0", "0|0")
    quality = "." if reference_call else "%.1f" % (depth * 9.5 + rng.randint(0, 90) / 10.0)
    gq = min(99, 20 + depth // 2)
    return (chrom, pos, "\t".join([
        chrom, str(pos), ".", ref, ",".join(alts), quality, "PASS", "DP=%d" % depth,
        "GT:AD:DP:GQ", "%s:%s:%d:%d" % (genotype, ",".join(map(str, ad)), depth, gq)]))


def background(rng, genes, count, taken):
    """Variants in the targeted genes that neither panel lists."""
    rows = []
    while len(rows) < count:
        gene = rng.choice(genes)
        chrom, _, start, end = GENES[gene]
        pos = rng.randint(start, end)
        if (chrom, pos) in taken:
            continue
        taken.add((chrom, pos))
        ref = rng.choice("ACGT")
        transition = {"A": "G", "G": "A", "C": "T", "T": "C"}[ref]
        alt = transition if rng.random() < 0.7 else rng.choice([b for b in "ACGT" if b not in (ref, transition)])
        genotype = rng.choice(["0/1", "0/1", "0/1", "1/1", "0|1"])
        rows.append((chrom, pos, ref, [alt], genotype, rng.randint(28, 140)))
    return rows


def write_sample(name, known_calls, background_count, seed, known):
    rng = random.Random(seed)
    rows = []
    taken = {(v["chrom"], v["pos"]) for v in known.values()}
    for key, genotype, depth, *override in known_calls:
        v = known[key]
        alts = override[0] if override else [v["alt"]]
        rows.append((v["chrom"], v["pos"], v["ref"], alts, genotype, depth))
    rows += background(rng, sorted(GENES), background_count, taken)
    lines = [record(*row, rng=rng) for row in rows]
    lines.sort(key=lambda line: (CONTIG_ORDER[line[0]], line[1]))

    path = os.path.join(DATA, "project", "samples", name + ".vcf")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as out:
        out.write("##fileformat=VCFv4.2\n")
        out.write("##fileDate=20261202\n")
        out.write("##source=TarselDemoCaller 1.0 (demo data)\n")
        out.write("##reference=GRCh38\n")
        for contig, length in CONTIGS:
            out.write("##contig=<ID=%s,length=%d,assembly=GRCh38>\n" % (contig, length))
        out.write('##INFO=<ID=DP,Number=1,Type=Integer,Description="Total read depth at the locus">\n')
        out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
        out.write('##FORMAT=<ID=AD,Number=R,Type=Integer,Description="Read depth of each allele">\n')
        out.write('##FORMAT=<ID=DP,Number=1,Type=Integer,Description="Read depth">\n')
        out.write('##FORMAT=<ID=GQ,Number=1,Type=Integer,Description="Genotype quality">\n')
        out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t%s\n" % name)
        for line in lines:
            out.write(line[2] + "\n")


def main():
    cardio = write_panel("cardio-panel.tsv", "Cardio panel: known variants of inherited cardiac conditions",
                         CARDIO)
    pharmaco = write_panel("pharmaco-panel.tsv", "Pharmaco panel: known variants that change drug response",
                           PHARMACO)
    known = dict(cardio)
    known.update(pharmaco)

    # A pathogenic MYH7 variant and benign ones.
    write_sample("DR2612-01", [
        (("MYH7", "c.1208G>A"), "0/1", 87),
        (("MYBPC3", "c.472G>A"), "0/1", 64),
        (("SCN5A", "c.1673A>G"), "1/1", 112),
        (("KCNH2", "c.2690A>C"), "0/1", 58),
        (("CYP2D6", "c.886C>T"), "0/1", 71),
        (("SLCO1B1", "c.388A>G"), "1/1", 95),
    ], 18, 2612001, known)

    # Nothing of clinical significance: a reference call and another allele at
    # pathogenic sites, a multi-allelic site whose first alternative is benign.
    write_sample("DR2612-02", [
        (("MYH7", "c.1208G>A"), "0/0", 76),
        (("MYBPC3", "c.1504C>T"), "0/1", 69, ["T"]),
        (("MYBPC3", "c.706A>G"), "0/1", 81),
        (("SCN5A", "c.1673A>G"), "0/1", 102),
        (("KCNQ1", "c.1343C>G"), "1/2", 66, ["G", "T"]),
        (("LMNA", "c.1698C>T"), "1/1", 47),
        (("CYP2C19", "c.-806C>T"), "0/1", 90),
    ], 12, 2612002, known)

    # A variant of uncertain significance and pharmacogenetic findings.
    write_sample("DR2612-03", [
        (("MYBPC3", "c.3004C>T"), "0/1", 73),
        (("KCNH2", "c.2690A>C"), "1/1", 88),
        (("SCN5A", "c.1673A>G"), "0/1", 95),
        (("CYP2C19", "c.681G>A"), "1/1", 104),
        (("VKORC1", "c.-1639G>A"), "0/1", 67),
        (("SLCO1B1", "c.388A>G"), "0/1", 59),
    ], 24, 2612003, known)


if __name__ == "__main__":
    main()
