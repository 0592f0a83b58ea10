<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>QObject</name>
    <message>
        <source>BasePlugin</source>
        <translation>Basis-Plug-in</translation>
    </message>
    <message>
        <source>Base Plugin 1.1</source>
        <translation>Basis-Plug-in 1.1</translation>
    </message>
    <message>
        <source>Analysis</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>Blank data</source>
        <translation>Formulardaten</translation>
    </message>
    <message>
        <source>Print report</source>
        <translation>Bericht drucken</translation>
    </message>
    <message>
        <source>Save as PDF</source>
        <translation>Als PDF speichern</translation>
    </message>
    <message>
        <source>Template</source>
        <translation>Vorlage</translation>
    </message>
    <message>
        <source>Analyse</source>
        <translation>Analysieren</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>Männlich</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Weiblich</translation>
    </message>
    <message>
        <source>Not set</source>
        <translation>Nicht angegeben</translation>
    </message>
    <message>
        <source>Sex not select</source>
        <translation>Geschlecht nicht gewählt</translation>
    </message>
    <message>
        <source>Enter report data</source>
        <translation>Berichtsdaten eingeben</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Sampling date</source>
        <translation>Entnahmedatum</translation>
    </message>
    <message>
        <source>Sample type</source>
        <translation>Probenart</translation>
    </message>
    <message>
        <source>Patient ID number</source>
        <translation>Patientennummer</translation>
    </message>
    <message>
        <source>Case record number</source>
        <translation>Fallnummer</translation>
    </message>
    <message>
        <source>Patient name</source>
        <translation>Name des Patienten</translation>
    </message>
    <message>
        <source>Patient date of birth</source>
        <translation>Geburtsdatum des Patienten</translation>
    </message>
    <message>
        <source>Patient sex</source>
        <translation>Geschlecht des Patienten</translation>
    </message>
    <message>
        <source>Clinic name</source>
        <translation>Klinik</translation>
    </message>
    <message>
        <source>Clinic department</source>
        <translation>Abteilung</translation>
    </message>
    <message>
        <source>Organization name</source>
        <translation>Name der Einrichtung</translation>
    </message>
    <message>
        <source>Organization address</source>
        <translation>Anschrift der Einrichtung</translation>
    </message>
    <message>
        <source>Organization tel./fax</source>
        <translation>Telefon/Fax der Einrichtung</translation>
    </message>
    <message>
        <source>Physician</source>
        <translation>Ärztin / Arzt</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Festlegen</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>DNA analysis</source>
        <translation>DNA-Analyse</translation>
    </message>
    <message>
        <source>cannot read: %1</source>
        <translation>nicht lesbar: %1</translation>
    </message>
    <message>
        <source>file of %1 bytes is larger than the %2 bytes a project may have</source>
        <translation>die Datei ist mit %1 Bytes größer als die %2 Bytes, die ein Projekt haben darf</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>line %1, column %2: %3</source>
        <translation>Zeile %1, Spalte %2: %3</translation>
    </message>
    <message>
        <source>not a project file: the document is not a JSON object</source>
        <translation>keine Projektdatei: das Dokument ist kein JSON-Objekt</translation>
    </message>
    <message>
        <source>not a project file: &quot;format&quot; is not &quot;%1&quot;</source>
        <translation>keine Projektdatei: &quot;format&quot; ist nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;version&quot; must be a positive number</source>
        <translation>&quot;version&quot; muss eine positive Zahl sein</translation>
    </message>
    <message>
        <source>written by a newer version (format %1; this program reads up to %2)</source>
        <translation>von einer neueren Version geschrieben (Format %1; dieses Programm liest bis %2)</translation>
    </message>
    <message>
        <source>&quot;name&quot; must be a text</source>
        <translation>&quot;name&quot; muss ein Text sein</translation>
    </message>
    <message>
        <source>&quot;allowsAnalysis&quot; must be true or false</source>
        <translation>&quot;allowsAnalysis&quot; muss true oder false sein</translation>
    </message>
    <message>
        <source>&quot;selectedSample&quot; must be a sample index or null</source>
        <translation>&quot;selectedSample&quot; muss ein Probenindex oder null sein</translation>
    </message>
    <message>
        <source>&quot;samples&quot; must be a list</source>
        <translation>&quot;samples&quot; muss eine Liste sein</translation>
    </message>
    <message>
        <source>samples[%1] needs a &quot;name&quot; text</source>
        <translation>samples[%1] braucht einen Text &quot;name&quot;</translation>
    </message>
    <message>
        <source>samples[%1].data must be a file path</source>
        <translation>samples[%1].data muss ein Dateipfad sein</translation>
    </message>
    <message>
        <source>&quot;reportVariables&quot; must be an object of texts</source>
        <translation>&quot;reportVariables&quot; muss ein Objekt aus Texten sein</translation>
    </message>
    <message>
        <source>report variable &quot;%1&quot; must be a text</source>
        <translation>die Berichtsvariable &quot;%1&quot; muss ein Text sein</translation>
    </message>
    <message>
        <source>the project has no file name yet</source>
        <translation>das Projekt hat noch keinen Dateinamen</translation>
    </message>
    <message>
        <source>cannot write: %1</source>
        <translation>nicht schreibbar: %1</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>No data set &apos;%1&apos;</source>
        <translation>Kein Datensatz &apos;%1&apos;</translation>
    </message>
    <message>
        <source>There is not enough memory to render the report.</source>
        <translation>Der Speicher reicht nicht, um den Bericht zu erstellen.</translation>
    </message>
    <message>
        <source>The report could not be rendered: %1</source>
        <translation>Der Bericht konnte nicht erstellt werden: %1</translation>
    </message>
    <message>
        <source>The report could not be rendered.</source>
        <translation>Der Bericht konnte nicht erstellt werden.</translation>
    </message>
    <message>
        <source>No report</source>
        <translation>Kein Bericht</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Fit width</source>
        <translation>An Breite anpassen</translation>
    </message>
    <message>
        <source>Rendering the report...</source>
        <translation>Der Bericht wird erstellt …</translation>
    </message>
    <message>
        <source>Laying out the pages...</source>
        <translation>Die Seiten werden umbrochen …</translation>
    </message>
    <message>
        <source>There is no report to save.</source>
        <translation>Es gibt keinen Bericht zum Speichern.</translation>
    </message>
    <message>
        <source>There is no report to print.</source>
        <translation>Es gibt keinen Bericht zum Drucken.</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Seite %1 von %2</translation>
    </message>
    <message>
        <source>%1 %</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Cannot read the style sheet: %1</source>
        <translation>Das Stylesheet ist nicht lesbar: %1</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1: the PDF could not be started</source>
        <translation>%1 kann nicht geschrieben werden: das PDF konnte nicht begonnen werden</translation>
    </message>
    <message>
        <source>The printer could not be started.</source>
        <translation>Der Drucker konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>only files of the template folder and Qt resources may be loaded</source>
        <translation>nur Dateien des Vorlagenordners und Qt-Ressourcen dürfen geladen werden</translation>
    </message>
    <message>
        <source>%1, line %2</source>
        <translation>%1, Zeile %2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>Datei nicht vorhanden</translation>
    </message>
    <message>
        <source>outside the template folder</source>
        <translation>außerhalb des Vorlagenordners</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the file is larger than %1 KiB</source>
        <translation>die Datei ist größer als %1 KiB</translation>
    </message>
    <message>
        <source>Cannot include &apos;%1&apos;: more than %2 includes (an include loop?)</source>
        <translation>&apos;%1&apos; kann nicht eingebunden werden: mehr als %2 Einbindungen (eine Schleife?)</translation>
    </message>
    <message>
        <source>Cannot include &apos;%1&apos;: %2</source>
        <translation>&apos;%1&apos; kann nicht eingebunden werden: %2</translation>
    </message>
    <message>
        <source>Cannot include &apos;%1&apos;</source>
        <translation>&apos;%1&apos; kann nicht eingebunden werden</translation>
    </message>
    <message>
        <source>No report file was chosen.</source>
        <translation>Es wurde keine Berichtsdatei gewählt.</translation>
    </message>
    <message>
        <source>Cannot read the template: %1</source>
        <translation>Die Vorlage ist nicht lesbar: %1</translation>
    </message>
    <message>
        <source>The template is not UTF-8 text.</source>
        <translation>Die Vorlage ist kein UTF-8-Text.</translation>
    </message>
    <message>
        <source>Report values are always shown as text; &apos;%1&apos; is not allowed.</source>
        <translation>Berichtswerte werden immer als Text gezeigt; &apos;%1&apos; ist nicht erlaubt.</translation>
    </message>
    <message>
        <source>The dataset tag needs the name of a data set in quotes, for example {% dataset &quot;Findings&quot; %}.</source>
        <translation>Das Tag dataset braucht den Namen eines Datensatzes in Anführungszeichen, zum Beispiel {% dataset &quot;Findings&quot; %}.</translation>
    </message>
    <message>
        <source>After the data set&apos;s name the dataset tag takes only color_by and a column name in quotes.</source>
        <translation>Nach dem Namen des Datensatzes nimmt das Tag dataset nur color_by und einen Spaltennamen in Anführungszeichen.</translation>
    </message>
    <message>
        <source>Laboratory</source>
        <translation>Labor</translation>
    </message>
    <message>
        <source>No project</source>
        <translation>Kein Projekt</translation>
    </message>
    <message>
        <source>Sample</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>Data file</source>
        <translation>Datendatei</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Open project...</source>
        <translation>Projekt öffnen …</translation>
    </message>
    <message>
        <source>Save project</source>
        <translation>Projekt speichern</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Reference database</source>
        <translation>Referenzdatenbank</translation>
    </message>
    <message>
        <source>Reference database:</source>
        <translation>Referenzdatenbank:</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Plug-ins...</source>
        <translation>Plug-ins …</translation>
    </message>
    <message>
        <source>Plug-ins</source>
        <translation>Plug-ins</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Analysis mode</source>
        <translation>Analysemodus</translation>
    </message>
    <message>
        <source>The plug-in %1 failed in %2; the host carries on.</source>
        <translation>Das Plug-in %1 ist in %2 gescheitert; das Programm arbeitet weiter.</translation>
    </message>
    <message>
        <source>The data folder %1 does not exist</source>
        <translation>Der Datenordner %1 existiert nicht</translation>
    </message>
    <message>
        <source>No analysis plug-in in %1</source>
        <translation>Kein Analyse-Plug-in in %1</translation>
    </message>
    <message>
        <source>No plug-in named %1 in %2</source>
        <translation>Kein Plug-in namens %1 in %2</translation>
    </message>
    <message>
        <source>The project has %1 samples; there is no sample %2</source>
        <translation>Das Projekt hat %1 Proben; eine Probe %2 gibt es nicht</translation>
    </message>
    <message>
        <source>No template %1 for %2 in %3; there are: %4</source>
        <translation>Keine Vorlage %1 für %2 in %3; vorhanden sind: %4</translation>
    </message>
    <message>
        <source>Cannot open the project: %1</source>
        <translation>Das Projekt kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>The plug-in %1 has no reference database %2; it has: %3</source>
        <translation>Das Plug-in %1 hat keine Referenzdatenbank %2; es hat: %3</translation>
    </message>
    <message>
        <source>Project %1 — %2</source>
        <translation>Projekt %1 — %2</translation>
    </message>
    <message>
        <source>The plug-in %1 put no Analysis action on the toolbar</source>
        <translation>Das Plug-in %1 hat keine Aktion „Analyse“ auf die Werkzeugleiste gelegt</translation>
    </message>
    <message>
        <source>Analysis is not available for this project</source>
        <translation>Für dieses Projekt ist keine Analyse möglich</translation>
    </message>
    <message>
        <source>The analysis of sample %1 failed; the log says why</source>
        <translation>Die Analyse der Probe %1 ist gescheitert; das Protokoll nennt den Grund</translation>
    </message>
    <message>
        <source>There is no report to write</source>
        <translation>Es gibt keinen Bericht zum Schreiben</translation>
    </message>
    <message>
        <source>Cannot make the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Demo</source>
        <translation>Demo</translation>
    </message>
    <message>
        <source>Open project</source>
        <translation>Projekt öffnen</translation>
    </message>
    <message>
        <source>Projects (*.tproj);;All files (*)</source>
        <translation>Projekte (*.tproj);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Cannot save the project: %1</source>
        <translation>Das Projekt kann nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Usage: tarsel-demo [options]</source>
        <translation>Aufruf: tarsel-demo [Optionen]</translation>
    </message>
    <message>
        <source>Runs an analysis of a project with an analysis plug-in and writes the report as PDF;</source>
        <translation>Analysiert ein Projekt mit einem Analyse-Plug-in und schreibt den Bericht als PDF;</translation>
    </message>
    <message>
        <source>with --gui it opens the main window instead.</source>
        <translation>mit --gui öffnet es stattdessen das Hauptfenster.</translation>
    </message>
    <message>
        <source>  --project FILE        project file (default: the shipped demo project)</source>
        <translation>  --project FILE        Projektdatei (Vorgabe: das mitgelieferte Demoprojekt)</translation>
    </message>
    <message>
        <source>  --sample N            analyse sample number N (1 = first; default: the project&apos;s selection)</source>
        <translation>  --sample N            Probe Nummer N analysieren (1 = erste; Vorgabe: die Auswahl des Projekts)</translation>
    </message>
    <message>
        <source>  --all-samples         analyse every sample, one PDF each (needs --out-dir)</source>
        <translation>  --all-samples         jede Probe analysieren, je ein PDF (braucht --out-dir)</translation>
    </message>
    <message>
        <source>  --out-dir DIR         folder for the PDFs of --all-samples</source>
        <translation>  --out-dir DIR         Ordner für die PDFs von --all-samples</translation>
    </message>
    <message>
        <source>  --pdf FILE            where to write the report (default: &lt;project&gt;-&lt;sample&gt;.pdf here)</source>
        <translation>  --pdf FILE            wohin der Bericht geschrieben wird (Vorgabe: &lt;Projekt&gt;-&lt;Probe&gt;.pdf hier)</translation>
    </message>
    <message>
        <source>  --template NAME       report template to use (remembered for the next run)</source>
        <translation>  --template NAME       zu verwendende Berichtsvorlage (für den nächsten Lauf gemerkt)</translation>
    </message>
    <message>
        <source>  --locale NAME         language of the templates, such as en or de (default: en)</source>
        <translation>  --locale NAME         Sprache der Vorlagen und der Texte, etwa en oder de (Vorgabe: en)</translation>
    </message>
    <message>
        <source>  --database NAME       reference database (default: the plug-in&apos;s first)</source>
        <translation>  --database NAME       Referenzdatenbank (Vorgabe: die erste des Plug-ins)</translation>
    </message>
    <message>
        <source>  --plugin-name NAME    analysis plug-in to use (default: the first one loaded)</source>
        <translation>  --plugin-name NAME    zu verwendendes Analyse-Plug-in (Vorgabe: das erste geladene)</translation>
    </message>
    <message>
        <source>  --plugins DIR         folder of plug-in modules</source>
        <translation>  --plugins DIR         Ordner der Plug-in-Module</translation>
    </message>
    <message>
        <source>  --data DIR            common data folder: templates and reference tables</source>
        <translation>  --data DIR            gemeinsamer Datenordner: Vorlagen und Referenztabellen</translation>
    </message>
    <message>
        <source>  --set NAME=VALUE      set a report variable for this run (repeatable)</source>
        <translation>  --set NAME=WERT       eine Berichtsvariable für diesen Lauf setzen (wiederholbar)</translation>
    </message>
    <message>
        <source>  --gui                 open the main window</source>
        <translation>  --gui                 das Hauptfenster öffnen</translation>
    </message>
    <message>
        <source>  --analyse             with --gui: enter analysis mode at once</source>
        <translation>  --analyse             mit --gui: sofort in den Analysemodus wechseln</translation>
    </message>
    <message>
        <source>  --screenshot FILE     with --gui: save a picture of the window and quit</source>
        <translation>  --screenshot FILE     mit --gui: ein Bild des Fensters speichern und beenden</translation>
    </message>
    <message>
        <source>  --help                show this text</source>
        <translation>  --help                diesen Text zeigen</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>--%1 given more than once</source>
        <translation>--%1 mehr als einmal angegeben</translation>
    </message>
    <message>
        <source>--sample takes a sample number from 1 up, not &quot;%1&quot;</source>
        <translation>--sample nimmt eine Probennummer ab 1, nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--set takes NAME=VALUE with a name of letters, digits and _, not &quot;%1&quot;</source>
        <translation>--set nimmt NAME=WERT mit einem Namen aus Buchstaben, Ziffern und _, nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--locale takes a language name such as en or de, not &quot;%1&quot;</source>
        <translation>--locale nimmt einen Sprachnamen wie en oder de, nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--template takes the name of a template folder, not &quot;%1&quot;</source>
        <translation>--template nimmt den Namen eines Vorlagenordners, nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--all-samples needs --out-dir</source>
        <translation>--all-samples braucht --out-dir</translation>
    </message>
    <message>
        <source>--all-samples writes one PDF per sample; it takes neither --sample nor --pdf</source>
        <translation>--all-samples schreibt ein PDF je Probe; es nimmt weder --sample noch --pdf</translation>
    </message>
    <message>
        <source>--out-dir goes with --all-samples</source>
        <translation>--out-dir gehört zu --all-samples</translation>
    </message>
    <message>
        <source>--analyse and --screenshot go with --gui</source>
        <translation>--analyse und --screenshot gehören zu --gui</translation>
    </message>
    <message>
        <source>There is no translation for %1 (%2 in %3); the texts stay English</source>
        <translation>Für %1 gibt es keine Übersetzung (%2 in %3); die Texte bleiben englisch</translation>
    </message>
    <message>
        <source>The translation %1 cannot be read; the texts stay English</source>
        <translation>Die Übersetzung %1 ist nicht lesbar; die Texte bleiben englisch</translation>
    </message>
    <message>
        <source>Cannot load plug-in %1: %2</source>
        <translation>Das Plug-in %1 kann nicht geladen werden: %2</translation>
    </message>
    <message>
        <source>not a plug-in module (%1)</source>
        <translation>kein Plug-in-Modul (%1)</translation>
    </message>
    <message>
        <source>not an analysis plug-in (interface %1)</source>
        <translation>kein Analyse-Plug-in (Schnittstelle %1)</translation>
    </message>
    <message>
        <source>made for API version %1, this host speaks %2</source>
        <translation>für API-Version %1 gebaut, dieses Programm spricht %2</translation>
    </message>
    <message>
        <source>its metadata has no name</source>
        <translation>seine Metadaten nennen keinen Namen</translation>
    </message>
    <message>
        <source>its factory made no extension</source>
        <translation>seine Fabrik hat keine Erweiterung erzeugt</translation>
    </message>
    <message>
        <source>The plug-in folder %1 does not exist</source>
        <translation>Der Plug-in-Ordner %1 existiert nicht</translation>
    </message>
    <message>
        <source>Genotyper: known variants of a reference panel</source>
        <translation>Genotyper: bekannte Varianten eines Referenzpanels</translation>
    </message>
    <message>
        <source>Genotyper 0.1</source>
        <translation>Genotyper 0.1</translation>
    </message>
    <message>
        <source>Variants in the file</source>
        <translation>Varianten in der Datei</translation>
    </message>
    <message>
        <source>Known variants tested</source>
        <translation>Geprüfte bekannte Varianten</translation>
    </message>
    <message>
        <source>Findings</source>
        <translation>Befunde</translation>
    </message>
    <message>
        <source>Mean depth</source>
        <translation>Mittlere Lesetiefe</translation>
    </message>
    <message>
        <source>Quality check passed</source>
        <translation>Qualitätskontrolle bestanden</translation>
    </message>
    <message>
        <source>No clinically significant variant found</source>
        <translation>Keine klinisch bedeutsame Variante gefunden</translation>
    </message>
    <message>
        <source>Pathogenic variant found</source>
        <translation>Pathogene Variante gefunden</translation>
    </message>
    <message>
        <source>Likely pathogenic variant found</source>
        <translation>Wahrscheinlich pathogene Variante gefunden</translation>
    </message>
    <message>
        <source>Variant of uncertain significance found</source>
        <translation>Variante unklarer Bedeutung gefunden</translation>
    </message>
    <message>
        <source>no call</source>
        <translation>nicht bestimmt</translation>
    </message>
    <message>
        <source>not carried</source>
        <translation>nicht getragen</translation>
    </message>
    <message>
        <source>heterozygous</source>
        <translation>heterozygot</translation>
    </message>
    <message>
        <source>homozygous</source>
        <translation>homozygot</translation>
    </message>
    <message>
        <source>hemizygous</source>
        <translation>hemizygot</translation>
    </message>
    <message>
        <source>the file system took no more data</source>
        <translation>das Dateisystem nahm keine weiteren Daten an</translation>
    </message>
    <message>
        <source>samples[%1].data holds a NUL character, which no file path can</source>
        <translation>samples[%1].data enthält ein NUL-Zeichen, das kein Dateipfad haben kann</translation>
    </message>
    <message>
        <source>no file name given</source>
        <translation>kein Dateiname angegeben</translation>
    </message>
    <message>
        <source>too many levels of symbolic links</source>
        <translation>zu viele Ebenen symbolischer Verknüpfungen</translation>
    </message>
    <message>
        <source>the symbolic link cannot be read</source>
        <translation>die symbolische Verknüpfung ist nicht lesbar</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>it is not a regular file (a device, a FIFO or a socket)</source>
        <translation>es ist keine gewöhnliche Datei (ein Gerät, eine FIFO oder ein Socket)</translation>
    </message>
    <message>
        <source>the folder %1 does not exist</source>
        <translation>der Ordner %1 existiert nicht</translation>
    </message>
    <message>
        <source>the file read back is not what was written (%1 of %2 bytes)</source>
        <translation>die zurückgelesene Datei ist nicht, was geschrieben wurde (%1 von %2 Bytes)</translation>
    </message>
    <message>
        <source>samples[%1].column must be the name of a column of its data file</source>
        <translation>samples[%1].column muss der Name einer Spalte seiner Datendatei sein</translation>
    </message>
    <message>
        <source>The data set &quot;%1&quot;, row %2, column %3, holds %4 characters without a space; a report takes at most %5.</source>
        <translation>Die Datenreihe „%1“, Zeile %2, Spalte %3, enthält %4 Zeichen ohne Leerzeichen; ein Befund nimmt höchstens %5.</translation>
    </message>
    <message>
        <source>the file does not start as a PDF</source>
        <translation>die Datei beginnt nicht wie ein PDF</translation>
    </message>
    <message>
        <source>the file does not end as a PDF</source>
        <translation>die Datei endet nicht wie ein PDF</translation>
    </message>
    <message>
        <source>the file holds %1 pages instead of %2</source>
        <translation>die Datei enthält %1 Seiten statt %2</translation>
    </message>
    <message>
        <source>The report variable %1 holds %2 characters without a space; a report takes at most %3.</source>
        <translation>Die Befundvariable %1 enthält %2 Zeichen ohne Leerzeichen; ein Befund nimmt höchstens %3.</translation>
    </message>
    <message>
        <source>--set %1: there is no report variable of that name; did you mean %2?</source>
        <translation>--set %1: Eine Befundvariable dieses Namens gibt es nicht; meinten Sie %2?</translation>
    </message>
    <message>
        <source>The report variables are: %1</source>
        <translation>Die Befundvariablen sind: %1</translation>
    </message>
    <message>
        <source>Cannot write %1: it is one of this run&apos;s own inputs (%2)</source>
        <translation>%1 kann nicht geschrieben werden: Die Datei ist eine Eingabe dieses Laufs (%2)</translation>
    </message>
    <message>
        <source>Cannot write %1: another output of this run goes to the same file</source>
        <translation>%1 kann nicht geschrieben werden: Eine andere Ausgabe dieses Laufs geht in dieselbe Datei</translation>
    </message>
    <message>
        <source>Not reportable: the report of sample %1 was written to %2 and says: %3</source>
        <translation>Nicht berichtbar: Der Befund der Probe %1 wurde nach %2 geschrieben und sagt: %3</translation>
    </message>
    <message>
        <source>Exit status:</source>
        <translation>Exit-Status:</translation>
    </message>
    <message>
        <source>  0  every report was written, and each result may be reported</source>
        <translation>  0  jeder Befund wurde geschrieben, und jedes Ergebnis darf berichtet werden</translation>
    </message>
    <message>
        <source>  1  refused or failed; no file was replaced (the error stream says why)</source>
        <translation>  1  abgelehnt oder fehlgeschlagen; keine Datei wurde ersetzt (die Fehlerausgabe sagt, warum)</translation>
    </message>
    <message>
        <source>  2  bad command line: an option, a value, or an output file that must not be written</source>
        <translation>  2  fehlerhafte Befehlszeile: eine Option, ein Wert oder eine Ausgabedatei, die nicht geschrieben werden darf</translation>
    </message>
    <message>
        <source>  3  the report was written, but the data cannot support a result (its headline says why)</source>
        <translation>  3  der Befund wurde geschrieben, aber die Daten tragen kein Ergebnis (seine Überschrift sagt, warum)</translation>
    </message>
    <message>
        <source>With --all-samples: the highest status of the samples; manifest.tsv in the folder lists</source>
        <translation>Mit --all-samples: der höchste Status der Proben; manifest.tsv im Ordner nennt</translation>
    </message>
    <message>
        <source>each sample&apos;s file, outcome, status, SHA-256 and time.</source>
        <translation>für jede Probe Datei, Ausgang, Status, SHA-256 und Zeit.</translation>
    </message>
    <message>
        <source>not available</source>
        <translation>nicht verfügbar</translation>
    </message>
    <message>
        <source>the file holds no variant records</source>
        <translation>die Datei enthält keine Variantendatensätze</translation>
    </message>
    <message>
        <source>the file holds no read depths</source>
        <translation>die Datei enthält keine Lesetiefen</translation>
    </message>
    <message>
        <source>mean read depth %1, at least %2 needed</source>
        <translation>mittlere Lesetiefe %1, mindestens %2 nötig</translation>
    </message>
    <message>
        <source>findings read fewer than %1 times: %2 of %3</source>
        <translation>Befunde, weniger als %1-mal gelesen: %2 von %3</translation>
    </message>
    <message>
        <source>findings without a read depth: %1 of %2</source>
        <translation>Befunde ohne Lesetiefe: %1 von %2</translation>
    </message>
    <message>
        <source>Result cannot be reported: %1</source>
        <translation>Ergebnis nicht berichtbar: %1</translation>
    </message>
    <message>
        <source>sample %1</source>
        <translation>Probe %1</translation>
    </message>
    <message>
        <source>sample %1 (%2)</source>
        <translation>Probe %1 (%2)</translation>
    </message>
    <message>
        <source>This report is of %1, and no sample is selected now. Printing and saving are off until the selected sample has a report.</source>
        <translation>Dieser Bericht gehört zu %1, und jetzt ist keine Probe ausgewählt. Drucken und Speichern sind gesperrt, bis die ausgewählte Probe einen Bericht hat.</translation>
    </message>
    <message>
        <source>This report is of %1, not of %2, which is selected now: the analysis or the report of %2 failed. Printing and saving are off until %2 has a report.</source>
        <translation>Dieser Bericht gehört zu %1, nicht zu der jetzt ausgewählten %2: Die Auswertung oder der Bericht von %2 ist fehlgeschlagen. Drucken und Speichern sind gesperrt, bis %2 einen Bericht hat.</translation>
    </message>
    <message>
        <source>no sample</source>
        <translation>keiner Probe</translation>
    </message>
    <message>
        <source>This report shows the data from before the last change, which could not be made into a report. Printing and saving are off until the report is made anew.</source>
        <translation>Dieser Bericht zeigt die Daten vor der letzten Änderung, aus der kein Bericht erstellt werden konnte. Drucken und Speichern sind gesperrt, bis der Bericht neu erstellt ist.</translation>
    </message>
    <message>
        <source>No templates found for %1 in %2/ (&lt;data&gt;/reports/&lt;locale&gt;/&lt;plug-in&gt;/): put each template there in a folder of its own, holding its report file</source>
        <translation>Keine Vorlagen für %1 in %2/ (&lt;Daten&gt;/reports/&lt;Sprache&gt;/&lt;Plug-in&gt;/) gefunden: Legen Sie dort jede Vorlage in einen eigenen Ordner mit ihrer Berichtsdatei</translation>
    </message>
    <message>
        <source>The template %1 places the data set &apos;%2&apos;, which the plug-in %3 did not give (it gave: %4); no report was written. Name the data set in the template as the plug-in&apos;s getDataSets does, or have getDataSets give it.</source>
        <translation>Die Vorlage %1 setzt den Datensatz &apos;%2&apos; ein, den das Plug-in %3 nicht geliefert hat (geliefert: %4); es wurde kein Bericht geschrieben. Benennen Sie den Datensatz in der Vorlage so wie getDataSets des Plug-ins, oder lassen Sie getDataSets ihn liefern.</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>The plug-in&apos;s getDataSets let an exception out (&quot;%1&quot;): it must return the data sets there are; a sample that cannot be reported is refused in interpretateResults, which logs why and returns false.</source>
        <translation>getDataSets des Plug-ins hat eine Ausnahme durchgelassen (&quot;%1&quot;): Es muss die vorhandenen Datensätze liefern; eine Probe, über die nicht berichtet werden kann, lehnt interpretateResults ab, indem es den Grund protokolliert und false zurückgibt.</translation>
    </message>
    <message>
        <source>The plug-in&apos;s interpretation (interpretateResults or another hook it runs) let an exception out (&quot;%1&quot;): a plug-in refuses a sample by logging why and returning false from interpretateResults, never by throwing.</source>
        <translation>Die Auswertung des Plug-ins (interpretateResults oder eine andere dabei aufgerufene Methode) hat eine Ausnahme durchgelassen (&quot;%1&quot;): Ein Plug-in lehnt eine Probe ab, indem es den Grund protokolliert und in interpretateResults false zurückgibt, nie durch eine Ausnahme.</translation>
    </message>
    <message>
        <source>Pathogenic</source>
        <translation>Pathogen</translation>
    </message>
    <message>
        <source>Likely pathogenic</source>
        <translation>Wahrscheinlich pathogen</translation>
    </message>
    <message>
        <source>Uncertain significance</source>
        <translation>Unklare Bedeutung</translation>
    </message>
    <message>
        <source>Likely benign</source>
        <translation>Wahrscheinlich benigne</translation>
    </message>
    <message>
        <source>Benign</source>
        <translation>Benigne</translation>
    </message>
    <message>
        <source>Gene</source>
        <translation>Gen</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Veränderung</translation>
    </message>
    <message>
        <source>Genotype</source>
        <translation>Genotyp</translation>
    </message>
    <message>
        <source>Depth</source>
        <translation>Lesetiefe</translation>
    </message>
    <message>
        <source>Classification</source>
        <translation>Klassifikation</translation>
    </message>
    <message>
        <source>Metric</source>
        <translation>Kennzahl</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>The plug-in %1 marks the reference database %2 as not available (its flag in the database map is false); available: %3</source>
        <translation>Das Plug-in %1 kennzeichnet die Referenzdatenbank %2 als nicht verfügbar (ihr Kennzeichen in der Datenbankliste ist false); verfügbar: %3</translation>
    </message>
    <message>
        <source>The plug-in %1 offers no reference database: a plug-in without one must still offer one entry in its database map, or no template is ever listed</source>
        <translation>Das Plug-in %1 bietet keine Referenzdatenbank an: Auch ein Plug-in ohne Datenbank muss einen Eintrag in seiner Datenbankliste anbieten, sonst wird nie eine Vorlage aufgeführt</translation>
    </message>
    <message>
        <source>Did you mean --%1?</source>
        <translation>Meinten Sie --%1?</translation>
    </message>
    <message>
        <source>The analysis of sample %1 failed: %2</source>
        <translation>Die Auswertung der Probe %1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Wird abgebrochen …</translation>
    </message>
    <message>
        <source>Rendering the report was cancelled.</source>
        <translation>Das Erstellen des Berichts wurde abgebrochen.</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>Erste Seite</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Vorige Seite</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>Last page</source>
        <translation>Letzte Seite</translation>
    </message>
    <message>
        <source>Print preview</source>
        <translation>Druckvorschau</translation>
    </message>
    <message>
        <source>The sample that the report is about</source>
        <translation>Die Probe, um die es im Bericht geht</translation>
    </message>
    <message>
        <source>Fit page</source>
        <translation>Ganze Seite</translation>
    </message>
    <message>
        <source>Zoom: a percentage from %1 to %2, or a fit</source>
        <translation>Zoom: ein Prozentwert von %1 bis %2 oder eine Einpassung</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Page </source>
        <translation>Seite </translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Seite</translation>
    </message>
    <message>
        <source>The page in view; type a page number and press Enter to go there</source>
        <translation>Die angezeigte Seite; eine Seitenzahl eingeben und mit Enter dorthin springen</translation>
    </message>
    <message>
        <source> of %1</source>
        <translation> von %1</translation>
    </message>
    <message>
        <source>Report saved as %1</source>
        <translation>Bericht gespeichert als %1</translation>
    </message>
    <message>
        <source>The report data changed; save the project to keep them</source>
        <translation>Die Berichtsdaten haben sich geändert; speichern Sie das Projekt, um sie zu behalten</translation>
    </message>
    <message>
        <source>The project %1 has unsaved changes.</source>
        <translation>Das Projekt %1 hat ungespeicherte Änderungen.</translation>
    </message>
    <message>
        <source>Save them before quitting?</source>
        <translation>Vor dem Beenden speichern?</translation>
    </message>
    <message>
        <source>The demo project cannot be opened: %1</source>
        <translation>Das Demoprojekt kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>Cannot copy %1 to %2</source>
        <translation>%1 kann nicht nach %2 kopiert werden</translation>
    </message>
    <message>
        <source>%1 exists but holds no %2; move it away to get a fresh copy of the demo project</source>
        <translation>%1 existiert, enthält aber keine Datei %2; verschieben Sie den Ordner, um eine frische Kopie des Demoprojekts zu erhalten</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot create a folder in %1: %2</source>
        <translation>In %1 kann kein Ordner angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot create %1</source>
        <translation>%1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>  --sample-sheet FILE   report variables per sample: a column Sample, one per variable</source>
        <translation>  --sample-sheet FILE   Berichtsvariablen je Probe: eine Spalte Sample, eine je Variable</translation>
    </message>
    <message>
        <source>--sample-sheet is for runs without --gui: the window keeps one patient per project</source>
        <translation>--sample-sheet gilt für Läufe ohne --gui: das Fenster führt einen Patienten je Projekt</translation>
    </message>
    <message>
        <source>The sample sheet %1 gives %2 but not %3, which the project holds for its own patient: each report would mix two patients. Add those columns to the sheet (an empty cell leaves the value empty).</source>
        <translation>Die Probenliste %1 gibt %2 an, aber nicht %3, das das Projekt für seinen eigenen Patienten enthält: jeder Bericht würde zwei Patienten vermischen. Ergänzen Sie diese Spalten in der Liste (eine leere Zelle lässt den Wert leer).</translation>
    </message>
    <message>
        <source>The project has two samples named %1 (numbers %2 and %3): a sample sheet cannot tell their patients apart</source>
        <translation>Das Projekt hat zwei Proben namens %1 (Nummern %2 und %3): eine Probenliste kann ihre Patienten nicht unterscheiden</translation>
    </message>
    <message>
        <source>The sample sheet %1 has no row for the sample %2</source>
        <translation>Die Probenliste %1 hat keine Zeile für die Probe %2</translation>
    </message>
    <message>
        <source>text after the closing quote of a field</source>
        <translation>Text nach dem schließenden Anführungszeichen eines Feldes</translation>
    </message>
    <message>
        <source>a quoted field is not closed</source>
        <translation>ein Feld in Anführungszeichen ist nicht geschlossen</translation>
    </message>
    <message>
        <source>Sample sheet %1, line %2, column %3: %4</source>
        <translation>Probenliste %1, Zeile %2, Spalte %3: %4</translation>
    </message>
    <message>
        <source>Sample sheet %1, line %2: %3</source>
        <translation>Probenliste %1, Zeile %2: %3</translation>
    </message>
    <message>
        <source>Cannot read the sample sheet %1: %2</source>
        <translation>Die Probenliste %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The sample sheet %1 is larger than %2 MB</source>
        <translation>Die Probenliste %1 ist größer als %2 MB</translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation>kein UTF-8-Text</translation>
    </message>
    <message>
        <source>no header row</source>
        <translation>keine Kopfzeile</translation>
    </message>
    <message>
        <source>the column %1 comes twice</source>
        <translation>die Spalte %1 kommt zweimal vor</translation>
    </message>
    <message>
        <source>%1 is no report variable; the columns are %2 and report variables such as %3</source>
        <translation>%1 ist keine Berichtsvariable; die Spalten sind %2 und Berichtsvariablen wie %3</translation>
    </message>
    <message>
        <source>no column %1 to name the samples</source>
        <translation>keine Spalte %1, die die Proben benennt</translation>
    </message>
    <message>
        <source>%1 fields where the header has %2</source>
        <translation>%1 Felder, wo die Kopfzeile %2 hat</translation>
    </message>
    <message>
        <source>no sample name</source>
        <translation>kein Probenname</translation>
    </message>
    <message>
        <source>the sample %1 has a row already, at line %2</source>
        <translation>die Probe %1 hat bereits eine Zeile, in Zeile %2</translation>
    </message>
    <message>
        <source>The sample sheet %1 is no regular file</source>
        <translation>Die Probenliste %1 ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>its report data are no JSON (%1)</source>
        <translation>seine Berichtsdaten sind kein JSON (%1)</translation>
    </message>
    <message>
        <source>its report data hold no report identifier</source>
        <translation>seine Berichtsdaten enthalten keine Berichtskennung</translation>
    </message>
    <message>
        <source>Not classified</source>
        <translation>Nicht klassifiziert</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>an attached file has no name or the name of another: &apos;%1&apos;</source>
        <translation>eine angehängte Datei hat keinen Namen oder den einer anderen: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no relationship of an associated file</source>
        <translation>&apos;%1&apos; ist keine Beziehung einer zugeordneten Datei</translation>
    </message>
    <message>
        <source>&apos;%1&apos; cannot name a property of the provenance record</source>
        <translation>&apos;%1&apos; kann keine Eigenschaft des Herkunftsnachweises benennen</translation>
    </message>
    <message>
        <source>The archive PDF could not be made: %1</source>
        <translation>Das Archiv-PDF konnte nicht erstellt werden: %1</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>The embedded files of the PDF could not be read: %1</source>
        <translation>Die eingebetteten Dateien des PDF konnten nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Report saved as %1, its structured result as %2</source>
        <translation>Bericht gespeichert als %1, sein strukturiertes Ergebnis als %2</translation>
    </message>
    <message>
        <source>  --archive             write PDF/A-3b for archiving, with the structured result and</source>
        <translation>  --archive             PDF/A-3b zum Archivieren schreiben, mit dem strukturierten Ergebnis und</translation>
    </message>
    <message>
        <source>                        the provenance (template, plug-in, input files) inside</source>
        <translation>                        der Herkunft (Vorlage, Plug-in, Eingabedateien) darin</translation>
    </message>
    <message>
        <source>  --fhir                write the structured result (FHIR R4 JSON) beside each PDF</source>
        <translation>  --fhir                das strukturierte Ergebnis (FHIR R4 JSON) neben jedes PDF schreiben</translation>
    </message>
    <message>
        <source>  --status STATUS       final (default) or preliminary, marked on every page</source>
        <translation>  --status STATUS       final (Vorgabe) oder preliminary (vorläufig, auf jeder Seite markiert)</translation>
    </message>
    <message>
        <source>  --amends FILE         the report amends the earlier report FILE (read, never replaced)</source>
        <translation>  --amends DATEI        der Bericht berichtigt den früheren Bericht DATEI (gelesen, nie ersetzt)</translation>
    </message>
    <message>
        <source>--status takes final or preliminary, not &quot;%1&quot;</source>
        <translation>--status nimmt final oder preliminary, nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--amends replaces one earlier report; it does not go with --all-samples</source>
        <translation>--amends ersetzt einen früheren Bericht; es passt nicht zu --all-samples</translation>
    </message>
    <message>
        <source>--archive, --fhir, --status and --amends are for runs without --gui; the window saves the structured result as its File menu sets</source>
        <translation>--archive, --fhir, --status und --amends sind für Läufe ohne --gui; das Fenster speichert das strukturierte Ergebnis, wie sein Menü Datei es einstellt</translation>
    </message>
    <message>
        <source>Version %1, replaces report %2</source>
        <translation>Version %1, ersetzt Bericht %2</translation>
    </message>
    <message>
        <source>Structured result of the report (FHIR R4 Bundle)</source>
        <translation>Strukturiertes Ergebnis des Berichts (FHIR-R4-Bundle)</translation>
    </message>
    <message>
        <source>Cannot read %1 back for its structured result: %2</source>
        <translation>%1 kann für sein strukturiertes Ergebnis nicht zurückgelesen werden: %2</translation>
    </message>
    <message>
        <source>Save the Structured Result (FHIR) with Each PDF</source>
        <translation>Strukturiertes Ergebnis (FHIR) mit jedem PDF speichern</translation>
    </message>
    <message>
        <source>Cannot amend %1: it is the report of sample %2, not of sample %3</source>
        <translation>%1 kann nicht berichtigt werden: es ist der Bericht der Probe %2, nicht der Probe %3</translation>
    </message>
    <message>
        <source>Cannot amend %1: it is no report file</source>
        <translation>%1 kann nicht berichtigt werden: es ist keine Berichtsdatei</translation>
    </message>
    <message>
        <source>Cannot amend %1: %2</source>
        <translation>%1 kann nicht berichtigt werden: %2</translation>
    </message>
    <message>
        <source>the file is too large for a report</source>
        <translation>die Datei ist zu groß für einen Bericht</translation>
    </message>
    <message>
        <source>Cannot amend %1: it is no PDF</source>
        <translation>%1 kann nicht berichtigt werden: es ist kein PDF</translation>
    </message>
    <message>
        <source>The PDF&apos;s text layer could not be completed: %1</source>
        <translation>Die Textebene des PDF konnte nicht vervollständigt werden: %1</translation>
    </message>
</context>
</TS>
