#!/usr/bin/env python3
"""The batch road a laboratory system takes: a sample sheet in, per sample an archived
PDF with the structured result inside and the same result beside it. Checks the JSON
against the FHIR R4 schema and the Genomics Reporting profiles' codes, reads the JSON
back out of the PDF, lints the PDF with the tools at hand (a lint, not a PDF/A
conformance check), then releases a preliminary report and amends it.

usage: check_fhir_archive.py DEMO_PROGRAM DATA_DIR SCHEMA_FILE
Exits 77 (skipped) when all else passed but the schema or jsonschema is missing."""

import base64, csv, hashlib, json, os, re, subprocess, sys, tempfile

demo, data, schema_path = map(os.path.abspath, sys.argv[1:4])
LOINC = "http://loinc.org"
PROFILE = "http://hl7.org/fhir/uv/genomics-reporting/StructureDefinition/"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(*arguments):
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    return subprocess.run([demo, "--data", data, *arguments], capture_output=True, text=True, env=environment,
                          cwd=work)


def codes(concept):
    return {(c.get("system"), c.get("code")) for c in concept.get("coding", [])}


def components(observation):
    return {code: c for c in observation.get("component", []) for (_, code) in codes(c["code"])}


def validator():
    try:
        import jsonschema
    except ImportError:
        return None, "python3-jsonschema is not installed"
    if not os.path.isfile(schema_path):
        return None, "the FHIR schema %s is not here (the test set-up fetches it from the npm registry)" % schema_path
    with open(schema_path) as f:
        schema = json.load(f)
    def errors(resource):
        found = jsonschema.Draft6Validator({**schema, "$ref": "#/definitions/" + resource["resourceType"]}).iter_errors(resource)
        return ["%s at %s" % (e.message[:200], "/".join(map(str, e.absolute_path))) for e in found]
    return errors, None


validate, skipped = validator()


def check_bundle(bundle, name, patient_row):
    if validate:
        # Each resource on its own first: the Bundle's own check names only the entry.
        for error in [e for entry in bundle["entry"] for e in validate(entry["resource"])] or validate(bundle):
            failures.append("%s: not valid FHIR R4: %s" % (name, error))
    resources = {e["fullUrl"]: e["resource"] for e in bundle["entry"]}
    report = bundle["entry"][0]["resource"]
    check(report["resourceType"] == "DiagnosticReport", name + ": the first entry is no DiagnosticReport")
    check(PROFILE + "genomic-report" in report["meta"]["profile"], name + ": no genomic report profile")
    check((LOINC, "51969-4") in codes(report["code"]), name + ": report code is not LOINC 51969-4")
    check(any(("http://terminology.hl7.org/CodeSystem/v2-0074", "GE") in codes(c) for c in report["category"]),
          name + ": report category is not GE")
    patient = resources[report["subject"]["reference"]]
    check(patient["name"][0]["text"] == patient_row["PatientFIO"], name + ": the Patient is not the sheet's")
    check(patient.get("gender") == patient_row["PatientSex"].lower(), name + ": gender is not the sheet's sex")
    day, month, year = patient_row["PatientBirthDay"].split(".")
    check(patient.get("birthDate") == "%s-%s-%s" % (year, month, day), name + ": birth date is not the sheet's")
    specimen = resources[report["specimen"][0]["reference"]]
    check(specimen["accessionIdentifier"]["value"] == patient_row["NumberOfSample"], name + ": Specimen is not the sheet's")
    variants = 0
    for reference in report.get("result", []):
        observation = resources[reference["reference"]]
        check(observation["subject"] == report["subject"], name + ": an observation of another subject")
        parts = components(observation)
        if (LOINC, "69548-6") in codes(observation["code"]):
            variants += 1
            check(PROFILE + "variant" in observation["meta"]["profile"], name + ": variant without its profile")
            for required in ("48018-6", "48004-6", "53034-5", "48002-0"):
                check(required in parts, name + ": a variant without component " + required)
            state = codes(parts.get("53034-5", {}).get("valueCodeableConcept", {}))
            check(state & {(LOINC, "LA6706-1"), (LOINC, "LA6705-3"), (LOINC, "LA6707-9")},
                  name + ": allelic state is no LOINC answer")
        else:
            check(("http://hl7.org/fhir/uv/genomics-reporting/CodeSystem/tbd-codes-cs", "diagnostic-implication")
                  in codes(observation["code"]), name + ": a result that is neither variant nor implication")
            significance = codes(parts["53037-8"]["valueCodeableConcept"])
            check(significance <= {(LOINC, c) for c in ("LA6668-3", "LA26332-9", "LA26333-7", "LA26334-5", "LA6675-8")}
                  and significance, name + ": clinical significance is no LOINC answer")
            derived = [resources.get(d["reference"], {}) for d in observation["derivedFrom"]]
            check(derived and all((LOINC, "69548-6") in codes(v.get("code", {})) for v in derived),
                  name + ": an implication not derived from a variant of the Bundle")
    return report, variants


with tempfile.TemporaryDirectory() as folder:
    work = folder
    out = os.path.join(folder, "r")
    sheet = os.path.join(data, "lis", "samples.tsv")
    result = run("--all-samples", "--sample-sheet", sheet, "--fhir", "--archive", "--out-dir", out)
    check(result.returncode == 0, "the batch failed (%d): %s" % (result.returncode, result.stderr))
    with open(sheet, encoding="utf-8-sig") as f:
        rows = {row["Sample"]: row for row in csv.DictReader(f, delimiter="\t")}
    with open(os.path.join(out, "manifest.tsv")) as f:
        manifest = list(csv.DictReader(f, delimiter="\t"))
    check(len(manifest) == len(rows), "the manifest does not list every sample")
    findings = 0
    for line in manifest:
        pdf_path = os.path.join(out, line["file"])
        json_path = re.sub(r"\.pdf$", ".json", pdf_path)
        with open(pdf_path, "rb") as f:
            pdf = f.read()
        with open(json_path) as f:
            beside = json.load(f)
        report, variants = check_bundle(beside, os.path.basename(json_path), rows[line["sample"]])
        findings += variants
        form = report["presentedForm"][0]
        check(base64.b64decode(form["data"]) == pdf, json_path + ": presentedForm is not the PDF beside it")
        check(form["hash"] == base64.b64encode(hashlib.sha1(pdf).digest()).decode(), json_path + ": wrong hash")
        check(hashlib.sha256(pdf).hexdigest() in json.dumps(form) and line["SHA-256"] == hashlib.sha256(pdf).hexdigest(),
              json_path + ": the PDF's SHA-256 is not beside it")

        # The Bundle inside is the one beside without the PDF it cannot hold.
        embedded = subprocess.run(["qpdf", "--show-attachment=" + os.path.basename(json_path), pdf_path],
                                  capture_output=True)
        inside = json.loads(embedded.stdout or b"{}")
        del report["presentedForm"]
        check(inside == beside, pdf_path + ": the Bundle inside differs from the one beside")
        check(subprocess.run(["qpdf", "--check", pdf_path], capture_output=True).returncode == 0,
              pdf_path + ": qpdf --check fails")
        meta = subprocess.run(["pdfinfo", "-meta", pdf_path], capture_output=True, text=True).stdout
        check(re.search(r"pdfaid:part(>|=\")3", meta) and re.search(r"pdfaid:conformance(>|=\")B", meta),
              pdf_path + ": the XMP does not say PDF/A-3b")
        check(line["sample"] in meta and "templateSha256" in meta and "pdfaSchema:namespaceURI" in meta,
              pdf_path + ": the XMP holds no declared provenance")
        attachments = subprocess.run(["pdfdetach", "-list", pdf_path], capture_output=True, text=True).stdout
        check(os.path.basename(json_path) in attachments, pdf_path + ": pdfdetach lists no structured result")
        fonts = subprocess.run(["pdffonts", pdf_path], capture_output=True, text=True).stdout.splitlines()[2:]
        check(fonts and all(font.split()[-5] == "yes" for font in fonts), pdf_path + ": a font is not embedded")
    check(findings > 0, "no report of the batch has a finding: the variant checks checked nothing")

    # A preliminary report, then its amendment, which leaves it as it was.
    first = os.path.join(folder, "first.pdf")
    result = run("--sample", "1", "--status", "preliminary", "--fhir", "--archive", "--pdf", first)
    check(result.returncode == 0, "the preliminary report failed: " + result.stderr)
    with open(first.replace(".pdf", ".json")) as f:
        preliminary = json.load(f)["entry"][0]["resource"]
    check(preliminary["status"] == "preliminary", "a preliminary report's status is " + preliminary["status"])
    # The mark is rotated: poppler gives its letters one by one, in the order drawn.
    pages = subprocess.run(["pdftotext", "-raw", first, "-"], capture_output=True, text=True).stdout.split("\f")[:-1]
    check(pages and all("PRELIMINARY" in "".join(page.split()) for page in pages),
          "not every page of the preliminary report is marked")
    with open(first, "rb") as f:
        before = f.read()
    second = os.path.join(folder, "second.pdf")
    result = run("--sample", "1", "--amends", first, "--fhir", "--archive", "--pdf", second)
    check(result.returncode == 0, "the amendment failed: " + result.stderr)
    with open(second.replace(".pdf", ".json")) as f:
        amended = json.load(f)["entry"][0]["resource"]
    replaced = preliminary["identifier"][0]["value"]
    check(amended["status"] == "amended" and amended["meta"]["versionId"] == "2", "the amendment is no version 2")
    check(amended["extension"][0]["valueReference"]["identifier"]["value"] == replaced,
          "the amendment does not name the report it replaces")
    text = subprocess.run(["pdftotext", second, "-"], capture_output=True, text=True).stdout
    check(replaced in text.replace("\n", " "), "the amendment's footer does not name the report it replaces")
    with open(first, "rb") as f:
        check(f.read() == before, "amending changed the earlier report")
    for arguments, status, reason in ((["--sample", "2", "--amends", first], 1, "sample"),
                                      (["--sample", "1", "--amends", first, "--pdf", first], 2, "own inputs"),
                                      (["--status", "draft"], 2, "final or preliminary")):
        result = run(*arguments)
        check(result.returncode == status and reason in result.stderr,
              "%s: exit %d, %s" % (" ".join(arguments), result.returncode, result.stderr.strip()))
    with open(first, "rb") as f:
        check(f.read() == before, "a refused run changed the earlier report")

for failure in failures:
    print("FAIL:", failure)
if failures:
    sys.exit(1)
if skipped:
    print("SKIP: FHIR schema validation:", skipped)
    sys.exit(77)
print("PASS: batch, schema, profiles, round trip, lint, preliminary and amended reports")
