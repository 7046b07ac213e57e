<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>eb::Form1</name>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Datei(en) hinzufügen - Strg gedrückt halten, um mehrere Dateien auszuwählen</translation>
    </message>
    <message>
        <source>MP3 File (*.mp3)|*.mp3|</source>
        <translation>MP3-Datei (*.mp3)|*.mp3|</translation>
    </message>
    <message>
        <source>You&apos;ve selected too many files to add.</source>
        <translation>Sie haben zu viele Dateien zum Hinzufügen ausgewählt.</translation>
    </message>
    <message>
        <source>Please try adding via the &quot;Add All&quot; button.</source>
        <translation>Bitte fügen Sie sie über die Schaltfläche „Ordner mit MP3s hinzufügen“ hinzu.</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte Ordner auswählen:</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; could not be scanned completely (%2). Only the files found before that were added.</source>
        <translation>Der Ordner „%1“ konnte nicht vollständig durchsucht werden (%2). Nur die bis dahin gefundenen Dateien wurden hinzugefügt.</translation>
    </message>
    <message>
        <source>Index out of bounds</source>
        <translation>Index außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>Soll dieses Programm den Ordner öffnen, in dem die Beispieldateien liegen (damit Sie sie ansehen können, bevor Sie mit ihnen arbeiten)?</translation>
    </message>
    <message>
        <source>Numeric value required.</source>
        <translation>Ein Zahlenwert ist erforderlich (mit Komma oder Punkt als Dezimaltrennzeichen).</translation>
    </message>
    <message>
        <source>Value set to default.</source>
        <translation>Der Wert wurde auf die Vorgabe zurückgesetzt.</translation>
    </message>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Dateien hierher ziehen und ablegen. Doppelklick auf einen Eintrag entfernt ihn. Die Linie | nach rechts aus dem Fenster ziehen, um die vollen Namen zu sehen.</translation>
    </message>
    <message>
        <source>Gain-In:</source>
        <translation>Eingangspegel:</translation>
    </message>
    <message>
        <source>Gain-Out:</source>
        <translation>Ausgangspegel:</translation>
    </message>
    <message>
        <source>Delay:</source>
        <translation>Verzögerung:</translation>
    </message>
    <message>
        <source>Decay:</source>
        <translation>Abklingen:</translation>
    </message>
    <message>
        <source>Top of the window</source>
        <translation>Anfang des Fensters</translation>
    </message>
    <message>
        <source>Press Tab to reach the file list.</source>
        <translation>Mit Tab gelangen Sie zur Dateiliste.</translation>
    </message>
    <message>
        <source>MP3 File(s)</source>
        <translation>MP3-Datei(en)</translation>
    </message>
    <message>
        <source>Choose output folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Fortschrittsbalken</translation>
    </message>
    <message>
        <source>Add MP3 File(s)</source>
        <translation>MP3-Datei(en) hinzufügen</translation>
    </message>
    <message>
        <source>Add All MP3 File(s) In Folder</source>
        <translation>Ordner mit MP3s hinzufügen</translation>
    </message>
    <message>
        <source>Start Converting</source>
        <translation>Umwandlung starten</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation>Beispieldateien laden</translation>
    </message>
    <message>
        <source>Save Results To This Folder</source>
        <translation>Ergebnisse in diesem Ordner speichern</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Echo Options</source>
        <translation>Echo-Optionen</translation>
    </message>
    <message>
        <source>The program icon is missing</source>
        <translation>Das Programmsymbol fehlt</translation>
    </message>
    <message>
        <source>Cannot open </source>
        <translation>Kann nicht geöffnet werden: </translation>
    </message>
    <message>
        <source>Preview Echo...</source>
        <translation>Echo-Vorschau...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Value out of range.</source>
        <translation>Der Wert liegt außerhalb des zulässigen Bereichs.</translation>
    </message>
</context>
<context>
    <name>eb::PreviewWindow</name>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>The file shown</source>
        <translation>Die angezeigte Datei</translation>
    </message>
    <message>
        <source>The state of the render</source>
        <translation>Der Stand der Berechnung</translation>
    </message>
    <message>
        <source>Play the file with the echo</source>
        <translation>Die Datei mit dem Echo abspielen</translation>
    </message>
    <message>
        <source>Stop playing</source>
        <translation>Wiedergabe beenden</translation>
    </message>
    <message>
        <source>No sound output found.</source>
        <translation>Keine Tonausgabe gefunden.</translation>
    </message>
    <message>
        <source>Rendering...</source>
        <translation>Wird berechnet...</translation>
    </message>
    <message>
        <source>The sound output could not be opened.</source>
        <translation>Die Tonausgabe konnte nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>eb::WaveformView</name>
    <message>
        <source>Waveforms of the input and with echo</source>
        <translation>Wellenformen der Eingabe und mit Echo</translation>
    </message>
    <message>
        <source>empty</source>
        <translation>leer</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>Input: %1. With echo: %2.</source>
        <translation>Eingabe: %1. Mit Echo: %2.</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>With echo</source>
        <translation>Mit Echo</translation>
    </message>
</context>
<context>
    <name>echobatch</name>
    <message>
        <source>Application Error</source>
        <translation>Programmfehler</translation>
    </message>
    <message>
        <source>at line </source>
        <translation>in Zeile </translation>
    </message>
    <message>
        <source>Please email screenshot of this message to </source>
        <translation>Bitte senden Sie ein Bildschirmfoto dieser Meldung per E-Mail an </translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>Keine Dateien hinzugefügt.</translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation>Der Ordner existiert nicht. Bitte wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>entry %1</source>
        <translation>Eintrag %1</translation>
    </message>
    <message>
        <source>Processing: </source>
        <translation>Verarbeitung: </translation>
    </message>
    <message>
        <source>Index out of bounds</source>
        <translation>Index außerhalb des gültigen Bereichs</translation>
    </message>
    <message>
        <source>no longer in the list</source>
        <translation>nicht mehr in der Liste</translation>
    </message>
    <message>
        <source>Division by zero</source>
        <translation>Division durch null</translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Fortschrittsbalken</translation>
    </message>
    <message>
        <source>Please wait.. </source>
        <translation>Bitte warten.. </translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Pfad nicht gefunden</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>Numeric value required.</source>
        <translation>Ein Zahlenwert ist erforderlich (mit Komma oder Punkt als Dezimaltrennzeichen).</translation>
    </message>
    <message>
        <source>The pointer file is too large: </source>
        <translation>Die Zeigerdatei ist zu groß: </translation>
    </message>
    <message>
        <source>The pointer file holds no image: </source>
        <translation>Die Zeigerdatei enthält kein Bild: </translation>
    </message>
    <message>
        <source>Cannot read the skin %1: %2</source>
        <translation>Der Skin %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The skin %1 is too large</source>
        <translation>Der Skin %1 ist zu groß</translation>
    </message>
    <message>
        <source>The skin %1 is not a valid style sheet</source>
        <translation>Der Skin %1 ist kein gültiges Stylesheet</translation>
    </message>
    <message>
        <source>echobatch-cli: --jobs %1 lowered to %2: the open-file limit (%3) allows no more
</source>
        <translation>echobatch-cli: --jobs %1 auf %2 gesenkt: Die Grenze offener Dateien (%3) erlaubt nicht mehr
</translation>
    </message>
    <message>
        <source>Try &apos;echobatch-cli --help&apos;.</source>
        <translation>Siehe „echobatch-cli --help“.</translation>
    </message>
    <message>
        <source>--json and --dry-run both write to standard output</source>
        <translation>--json und --dry-run schreiben beide auf die Standardausgabe</translation>
    </message>
    <message>
        <source>--null needs a list given with --from</source>
        <translation>--null braucht eine mit --from angegebene Liste</translation>
    </message>
    <message>
        <source>no files given</source>
        <translation>keine Dateien angegeben</translation>
    </message>
    <message>
        <source>--jobs needs a whole number from 0 to 1024, not &apos;%1&apos;</source>
        <translation>--jobs braucht eine ganze Zahl von 0 bis 1024, nicht „%1“</translation>
    </message>
    <message>
        <source>--bitrate needs &apos;keep&apos; or one of 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320, not &apos;%1&apos;</source>
        <translation>--bitrate braucht „keep“ oder einen der Werte 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320, nicht „%1“</translation>
    </message>
    <message>
        <source>no output folder: give one with --out DIR (none is stored in the settings either)</source>
        <translation>kein Ausgabeordner: Geben Sie einen mit --out DIR an (auch in den Einstellungen ist keiner gespeichert)</translation>
    </message>
    <message>
        <source>the output folder&apos;s name is not valid UTF-8 and cannot be used as it is: %1</source>
        <translation>der Name des Ausgabeordners ist kein gültiges UTF-8 und kann so nicht verwendet werden: %1</translation>
    </message>
    <message>
        <source>%1: the folder could not be scanned completely: %2</source>
        <translation>%1: Der Ordner konnte nicht vollständig durchsucht werden: %2</translation>
    </message>
    <message>
        <source>no MP3 files found in the folders given</source>
        <translation>in den angegebenen Ordnern wurden keine MP3-Dateien gefunden</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>Standardeingabe</translation>
    </message>
    <message>
        <source>cannot read the list %1: %2</source>
        <translation>die Liste %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>an entry is longer than %1 bytes; is it a list of paths?</source>
        <translation>ein Eintrag ist länger als %1 Bytes; ist das eine Liste von Pfaden?</translation>
    </message>
    <message>
        <source>%1 FAILED     %2: %3</source>
        <translation>%1 FEHLER          %2: %3</translation>
    </message>
    <message>
        <source>%1 WARNING    %2: %3</source>
        <translation>%1 WARNUNG         %2: %3</translation>
    </message>
    <message>
        <source>Gain-In:</source>
        <translation>Eingangspegel:</translation>
    </message>
    <message>
        <source>Gain-Out:</source>
        <translation>Ausgangspegel:</translation>
    </message>
    <message>
        <source>Delay:</source>
        <translation>Verzögerung:</translation>
    </message>
    <message>
        <source>Decay:</source>
        <translation>Abklingen:</translation>
    </message>
    <message>
        <source>cannot write into the output folder: </source>
        <translation>in den Ausgabeordner kann nicht geschrieben werden: </translation>
    </message>
    <message>
        <source>the name is not valid UTF-8 (%1); rename it</source>
        <translation>der Name ist kein gültiges UTF-8 (%1); benennen Sie die Datei um</translation>
    </message>
    <message>
        <source>the output would replace the input file itself</source>
        <translation>die Ausgabe würde die Eingabedatei selbst ersetzen</translation>
    </message>
    <message>
        <source>the output would replace another file of the list</source>
        <translation>die Ausgabe würde eine andere Datei der Liste ersetzen</translation>
    </message>
    <message>
        <source>SoX was not found</source>
        <translation>SoX wurde nicht gefunden</translation>
    </message>
    <message>
        <source>the tool wrote no output</source>
        <translation>das Werkzeug hat keine Ausgabe geschrieben</translation>
    </message>
    <message>
        <source>the tool wrote no output: </source>
        <translation>das Werkzeug hat keine Ausgabe geschrieben: </translation>
    </message>
    <message numerus="yes">
        <source>%1 samples clipped; lower Gain-Out or Decay</source>
        <translation>
            <numerusform>%1 Sample übersteuert; verringern Sie „Ausgangspegel“ oder „Abklingen“</numerusform>
            <numerusform>%1 Samples übersteuert; verringern Sie „Ausgangspegel“ oder „Abklingen“</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot replace %1: %2</source>
        <translation>%1 kann nicht ersetzt werden: %2</translation>
    </message>
    <message>
        <source>tags not copied: </source>
        <translation>Tags nicht kopiert: </translation>
    </message>
    <message>
        <source>a FIFO</source>
        <translation>ein FIFO</translation>
    </message>
    <message>
        <source>a character device</source>
        <translation>ein zeichenorientiertes Gerät</translation>
    </message>
    <message>
        <source>a block device</source>
        <translation>ein blockorientiertes Gerät</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>keine Datei</translation>
    </message>
    <message>
        <source>not a regular file: </source>
        <translation>keine reguläre Datei: </translation>
    </message>
    <message>
        <source>skipped: %1</source>
        <translation>übersprungen: %1</translation>
    </message>
    <message>
        <source>its output would replace the output of </source>
        <translation>ihre Ausgabe würde die Ausgabe eines früheren Eintrags ersetzen: </translation>
    </message>
    <message>
        <source>No output name can be formed: the file name has no &quot;.&quot;</source>
        <translation>Es lässt sich kein Ausgabename bilden: Der Dateiname enthält keinen „.“</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; in %2 may stand for another file: a name there that is not valid UTF-8 reads the same</source>
        <translation>der Name „%1“ in %2 kann für eine andere Datei stehen: Ein Name dort, der kein gültiges UTF-8 ist, liest sich gleich</translation>
    </message>
    <message>
        <source>cannot read the rendered samples: </source>
        <translation>die berechneten Samples können nicht gelesen werden: </translation>
    </message>
    <message>
        <source>SoX could not be made ready</source>
        <translation>SoX konnte nicht bereitgestellt werden</translation>
    </message>
    <message>
        <source>the tag copy could not be started: %1</source>
        <translation>das Kopieren der Tags konnte nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>the tag copy took longer than %1 s</source>
        <translation>das Kopieren der Tags dauerte länger als %1 s</translation>
    </message>
    <message>
        <source>the tag copy was ended by signal %1 (%2)</source>
        <translation>das Kopieren der Tags wurde durch Signal %1 beendet (%2)</translation>
    </message>
    <message>
        <source>the tag copy ended with exit code %1%2</source>
        <translation>das Kopieren der Tags endete mit dem Rückgabewert %1%2</translation>
    </message>
    <message>
        <source>the tool could not be started: %1 (%2)</source>
        <translation>das Werkzeug konnte nicht gestartet werden: %1 (%2)</translation>
    </message>
    <message>
        <source>the tool ended, but how it ended could not be learnt</source>
        <translation>das Werkzeug wurde beendet, aber wie, ließ sich nicht feststellen</translation>
    </message>
    <message>
        <source>the tool was ended by signal %1 (%2)</source>
        <translation>das Werkzeug wurde durch Signal %1 beendet (%2)</translation>
    </message>
    <message>
        <source>the tool ended with exit code %1</source>
        <translation>das Werkzeug endete mit dem Rückgabewert %1</translation>
    </message>
    <message>
        <source>Cannot make a private folder in %1: %2</source>
        <translation>In %1 kann kein privater Ordner angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot use the private folder %1: it was replaced</source>
        <translation>Der private Ordner %1 kann nicht verwendet werden: Er wurde ersetzt</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: it changed while it was checked</source>
        <translation>%1 kann nicht gelesen werden: Die Datei hat sich während der Prüfung geändert</translation>
    </message>
    <message>
        <source>SoX was not found on PATH (%1) and ECHOBATCH_SOX is not set</source>
        <translation>SoX wurde nicht in PATH (%1) gefunden, und ECHOBATCH_SOX ist nicht gesetzt</translation>
    </message>
    <message>
        <source>; passed over because other users could change them: </source>
        <translation>; übergangen, weil andere Benutzer sie ändern könnten: </translation>
    </message>
    <message>
        <source> (install the sox and libsox-fmt-mp3 packages)</source>
        <translation> (installieren Sie die Pakete sox und libsox-fmt-mp3)</translation>
    </message>
    <message>
        <source>The settings cannot be read from %1: %2</source>
        <translation>Die Einstellungen können nicht aus %1 gelesen werden: %2</translation>
    </message>
    <message>
        <source>The settings cannot be written to %1: %2</source>
        <translation>Die Einstellungen können nicht in %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>no scratch folder: </source>
        <translation>kein temporärer Ordner: </translation>
    </message>
    <message>
        <source>no scratch copy: </source>
        <translation>keine temporäre Kopie: </translation>
    </message>
    <message>
        <source>no scratch copy</source>
        <translation>keine temporäre Kopie</translation>
    </message>
    <message>
        <source>larger than %1 MB (%2 bytes)</source>
        <translation>größer als %1 MB (%2 Bytes)</translation>
    </message>
    <message>
        <source>a link to nothing</source>
        <translation>ein Link ins Leere</translation>
    </message>
    <message>
        <source>a link to </source>
        <translation>ein Link mit dem Ziel: </translation>
    </message>
    <message>
        <source>a link to a file of another user</source>
        <translation>ein Link auf eine Datei eines anderen Benutzers</translation>
    </message>
    <message>
        <source>a link into a folder of another user</source>
        <translation>ein Link in einen Ordner eines anderen Benutzers</translation>
    </message>
    <message>
        <source>its folder cannot be made</source>
        <translation>ihr Ordner kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot make the output folder %1: %2</source>
        <translation>der Ausgabeordner %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>cannot make the output folder %1: a file of that name is there</source>
        <translation>der Ausgabeordner %1 kann nicht angelegt werden: Dort liegt eine Datei dieses Namens</translation>
    </message>
    <message>
        <source>the name is not valid UTF-8; rename it</source>
        <translation>der Name ist kein gültiges UTF-8; benennen Sie die Datei um</translation>
    </message>
    <message>
        <source>%1: passed over: it is the output folder</source>
        <translation>%1: übergangen: Das ist der Ausgabeordner</translation>
    </message>
    <message>
        <source>it holds NUL bytes; give -0 (--null) for a list whose paths end with a NUL byte</source>
        <translation>sie enthält NUL-Bytes; geben Sie -0 (--null) für eine Liste an, deren Pfade mit einem NUL-Byte enden</translation>
    </message>
    <message>
        <source>it holds more than %1 entries; split it</source>
        <translation>sie enthält mehr als %1 Einträge; teilen Sie sie auf</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>bereits aktuell</translation>
    </message>
    <message>
        <source>%1 up to date %2 -&gt; %3</source>
        <translation>%1 bereits aktuell %2 -&gt; %3</translation>
    </message>
    <message>
        <source>%1 converted  %2 -&gt; %3%4</source>
        <translation>%1 umgewandelt     %2 -&gt; %3%4</translation>
    </message>
    <message>
        <source> (replaced an existing file)</source>
        <translation> (vorhandene Datei ersetzt)</translation>
    </message>
    <message>
        <source>echobatch-cli: interrupted; </source>
        <translation>echobatch-cli: unterbrochen; </translation>
    </message>
    <message>
        <source>The file name buffer is too small</source>
        <translation>Der Puffer für die Dateinamen ist zu klein</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Unzulässiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>the sample rate changes from %1 to %2 Hz at %3</source>
        <translation>die Abtastrate wechselt bei %3 von %1 auf %2 Hz</translation>
    </message>
    <message>
        <source>no MPEG audio frame found</source>
        <translation>kein MPEG-Audio-Frame gefunden</translation>
    </message>
    <message>
        <source>the audio ends after %1 of %2</source>
        <translation>der Ton endet nach %1 von %2</translation>
    </message>
    <message>
        <source>cannot decode the input: </source>
        <translation>die Eingabe kann nicht dekodiert werden: </translation>
    </message>
    <message>
        <source>the decoder cannot be set up</source>
        <translation>der Dekoder kann nicht eingerichtet werden</translation>
    </message>
    <message>
        <source>the audio changes its format after %1</source>
        <translation>der Ton wechselt nach %1 sein Format</translation>
    </message>
    <message>
        <source>the audio cannot be decoded after %1 (%2)</source>
        <translation>der Ton kann nach %1 nicht dekodiert werden (%2)</translation>
    </message>
    <message numerus="yes">
        <source>the output is shorter than the input: %1 of %2 (%3 of %4 samples)</source>
        <translation>
            <numerusform>die Ausgabe ist kürzer als die Eingabe: %1 von %2 (%3 von %4 Sample)</numerusform>
            <numerusform>die Ausgabe ist kürzer als die Eingabe: %1 von %2 (%3 von %4 Samples)</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot write the output&apos;s Info frame: </source>
        <translation>der Info-Frame der Ausgabe kann nicht geschrieben werden: </translation>
    </message>
    <message>
        <source>cannot read the tool&apos;s output: </source>
        <translation>die Ausgabe des Werkzeugs kann nicht gelesen werden: </translation>
    </message>
    <message>
        <source>the tool&apos;s output holds no MP3 audio</source>
        <translation>die Ausgabe des Werkzeugs enthält kein MP3-Audio</translation>
    </message>
    <message>
        <source>; its values are not used</source>
        <translation>; ihre Werte werden nicht verwendet</translation>
    </message>
    <message>
        <source>write error: </source>
        <translation>Schreibfehler: </translation>
    </message>
    <message>
        <source>the output is </source>
        <translation>die Ausgabe ist </translation>
    </message>
    <message>
        <source>the output folder %1 is gone</source>
        <translation>der Ausgabeordner %1 ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>the output cannot be decoded</source>
        <translation>die Ausgabe lässt sich nicht decodieren</translation>
    </message>
    <message>
        <source>ReplayGain not measured: </source>
        <translation>ReplayGain nicht gemessen: </translation>
    </message>
    <message>
        <source>album ReplayGain removed: not every file of the album was converted</source>
        <translation>Album-ReplayGain entfernt: Nicht alle Dateien des Albums wurden umgewandelt</translation>
    </message>
    <message>
        <source>cannot open the output folder %1: %2</source>
        <translation>der Ausgabeordner %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1 leads out of the output folder</source>
        <translation>%1 führt aus dem Ausgabeordner hinaus</translation>
    </message>
    <message>
        <source>%1 is a link; outputs are never written through links below the output folder</source>
        <translation>%1 ist ein Link; unterhalb des Ausgabeordners wird nie durch Links geschrieben</translation>
    </message>
    <message>
        <source>it is not an absolute path</source>
        <translation>das ist kein absoluter Pfad</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>er gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>others may use it (mode %1)</source>
        <translation>andere dürfen ihn verwenden (Modus %1)</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>das ist kein Ordner</translation>
    </message>
    <message>
        <source>it is not the user&apos;s own private folder</source>
        <translation>das ist kein privater Ordner des Benutzers</translation>
    </message>
    <message>
        <source>neither XDG_STATE_HOME nor HOME is set</source>
        <translation>weder XDG_STATE_HOME noch HOME ist gesetzt</translation>
    </message>
    <message>
        <source>the records folder %1 cannot be used: %2</source>
        <translation>der Protokollordner %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>XDG_RUNTIME_DIR %1 is passed over (%2); run records are kept in %3</source>
        <translation>XDG_RUNTIME_DIR %1 wird übergangen (%2); die Laufprotokolle liegen in %3</translation>
    </message>
    <message>
        <source>no folder</source>
        <translation>keinem Ordner</translation>
    </message>
    <message>
        <source>cannot keep a record of the temporary file: </source>
        <translation>die temporäre Datei kann nicht protokolliert werden: </translation>
    </message>
    <message>
        <source>cannot keep a record of the tool folder: </source>
        <translation>der Werkzeugordner kann nicht protokolliert werden: </translation>
    </message>
    <message>
        <source>cannot open another file: %1 (a limit of this process or system, not of the output folder)</source>
        <translation>es kann keine weitere Datei geöffnet werden: %1 (eine Grenze dieses Prozesses oder Systems, nicht des Ausgabeordners)</translation>
    </message>
    <message>
        <source>album ReplayGain removed: it cannot be written into </source>
        <translation>Album-ReplayGain entfernt: Es lässt sich nicht schreiben in </translation>
    </message>
    <message>
        <source>album ReplayGain removed: %1 failed</source>
        <translation>Album-ReplayGain entfernt: %1 ist fehlgeschlagen</translation>
    </message>
    <message>
        <source> (album ReplayGain updated)</source>
        <translation> (Album-ReplayGain aktualisiert)</translation>
    </message>
    <message>
        <source>the output cannot be read for its ReplayGain values</source>
        <translation>die Ausgabe lässt sich für ihre ReplayGain-Werte nicht lesen</translation>
    </message>
    <message>
        <source>the ReplayGain values cannot be written</source>
        <translation>die ReplayGain-Werte lassen sich nicht schreiben</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>beendet</translation>
    </message>
    <message>
        <source>about %1 s left</source>
        <translation>noch etwa %1 s</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>noch etwa %1 min</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>noch etwa %1 h %2 min</translation>
    </message>
    <message>
        <source>--shard needs K/N, two whole numbers with 1 &lt;= K &lt;= N, not &apos;%1&apos;</source>
        <translation>--shard braucht K/N, zwei ganze Zahlen mit 1 &lt;= K &lt;= N, nicht „%1“</translation>
    </message>
    <message>
        <source>--shard needs --keep-tree, so that no two parts can write one output</source>
        <translation>--shard braucht --keep-tree, damit keine zwei Teile dieselbe Ausgabe schreiben können</translation>
    </message>
    <message>
        <source>would make the output folder %1</source>
        <translation>würde den Ausgabeordner %1 anlegen</translation>
    </message>
    <message>
        <source>made the output folder %1</source>
        <translation>Ausgabeordner %1 angelegt</translation>
    </message>
    <message>
        <source>converted</source>
        <translation>umgewandelt</translation>
    </message>
    <message>
        <source>converted with a warning: %1</source>
        <translation>mit Warnung umgewandelt: %1</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Ordner beibehalten</translation>
    </message>
    <message>
        <source>Skip them</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>file %1 of %2</source>
        <translation>Datei %1 von %2</translation>
    </message>
    <message>
        <source>not converted: the batch was stopped</source>
        <translation>nicht umgewandelt: Die Umwandlung wurde beendet</translation>
    </message>
    <message>
        <source>Stop converting? The files converted so far are kept.</source>
        <translation>Umwandlung beenden? Die bisher umgewandelten Dateien bleiben erhalten.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Go on</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>file %1 of %2, %3</source>
        <translation>Datei %1 von %2, %3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <comment>a file&apos;s name, then what became of it</comment>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) not added: their names are not valid UTF-8, so they cannot be named exactly. Rename them to add them:</source>
        <translation>
            <numerusform>%n Datei nicht hinzugefügt, weil ihr Name kein gültiges UTF-8 ist und sich daher nicht genau wiedergeben lässt. Benennen Sie sie um, um sie hinzuzufügen:</numerusform>
            <numerusform>%n Dateien nicht hinzugefügt, weil ihre Namen kein gültiges UTF-8 sind und sich daher nicht genau wiedergeben lassen. Benennen Sie sie um, um sie hinzuzufügen:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

%1 of %n files failed:</source>
        <translation>
            <numerusform>

%1 von %n Datei fehlgeschlagen:</numerusform>
            <numerusform>

%1 von %n Dateien fehlgeschlagen:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

%1 of %n files converted with a warning:</source>
        <translation>
            <numerusform>

%1 von %n Datei mit Warnung umgewandelt:</numerusform>
            <numerusform>

%1 von %n Dateien mit Warnung umgewandelt:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

Stopped: %1 of %n files were not converted.</source>
        <translation>
            <numerusform>

Beendet: %1 von %n Datei nicht umgewandelt.</numerusform>
            <numerusform>

Beendet: %1 von %n Dateien nicht umgewandelt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files share their name with another file of the list. Keep the album folders below the output folder?</source>
        <translation>
            <numerusform>%n Datei hat denselben Namen wie eine andere Datei der Liste. Die Albumordner im Ausgabeordner beibehalten?</numerusform>
            <numerusform>%n Dateien haben denselben Namen wie eine andere Datei der Liste. Die Albumordner im Ausgabeordner beibehalten?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: removed %n temporary file(s) left by a run that was ended
</source>
        <translation>
            <numerusform>echobatch-cli: %n temporäre Datei eines abgebrochenen Laufs entfernt
</numerusform>
            <numerusform>echobatch-cli: %n temporäre Dateien eines abgebrochenen Laufs entfernt
</numerusform>
        </translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>the option &apos;%1&apos; takes no value</source>
        <translation>die Option „%1“ nimmt keinen Wert an</translation>
    </message>
    <message>
        <source>the option &apos;%1&apos; needs a value</source>
        <translation>die Option „%1“ braucht einen Wert</translation>
    </message>
    <message>
        <source>
  %1 &apos;%2&apos; (--%3)</source>
        <comment>a field&apos;s label, the text given, its option</comment>
        <translation>
  %1 „%2“ (--%3)</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files converted</source>
        <translation>
            <numerusform>%1 von %n Datei umgewandelt</numerusform>
            <numerusform>%1 von %n Dateien umgewandelt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n replaced an existing file</source>
        <translation>
            <numerusform>, davon hat %n eine vorhandene Datei ersetzt</numerusform>
            <numerusform>, davon haben %n vorhandene Dateien ersetzt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n up to date</source>
        <translation>
            <numerusform>, %n bereits aktuell</numerusform>
            <numerusform>, %n bereits aktuell</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> (album ReplayGain updated in %n files)</source>
        <translation>
            <numerusform> (Album-ReplayGain in %n Datei aktualisiert)</numerusform>
            <numerusform> (Album-ReplayGain in %n Dateien aktualisiert)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files converted with a warning:</source>
        <translation>
            <numerusform>echobatch-cli: %1 von %n Datei mit Warnung umgewandelt:</numerusform>
            <numerusform>echobatch-cli: %1 von %n Dateien mit Warnung umgewandelt:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files failed:</source>
        <translation>
            <numerusform>echobatch-cli: %1 von %n Datei fehlgeschlagen:</numerusform>
            <numerusform>echobatch-cli: %1 von %n Dateien fehlgeschlagen:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>[%1] %n/%2 done, %3 running</source>
        <translation>
            <numerusform>[%1] %n/%2 fertig, %3 in Arbeit</numerusform>
            <numerusform>[%1] %n/%2 fertig, %3 in Arbeit</numerusform>
        </translation>
    </message>
    <message>
        <source>Usage: echobatch-cli [--out DIR] [--gain-in T] [--gain-out T] [--delay T]
                     [--decay T] [--jobs N] [--bitrate KBPS|keep]
                     [--keep-tree [--shard K/N]] [--update] [--dry-run]
                     [--quiet] [--json] [--from FILE [--null]] [PATH...]

Adds an echo to each MP3 file given and writes the result, under the same
base name with the extension .mp3, into the output folder.

  --out DIR       output folder (default: the window&apos;s stored output folder);
                  made with its parents when missing
  --gain-in T     gain in (default: stored value, else 0.8)
  --gain-out T    gain out (default: stored value, else 0.7)
  --delay T       delay in milliseconds (default: stored value, else 63)
  --decay T       decay (default: stored value, else 0.3)
  --jobs N        conversions at once (default and 0: one per processor core)
  --bitrate KBPS  write every file as CBR of KBPS kbps (8 to 320; the nearest
                  bitrate the file&apos;s sample rate allows); default &apos;keep&apos;: each
                  file keeps its input&apos;s bitrate, and VBR stays VBR
  --keep-tree     a file found in a folder given as PATH goes to the same
                  relative folder below the output folder (made as needed)
  --shard K/N     with --keep-tree: convert only the K-th of N parts of the
                  list, split by each file&apos;s folder below its folder argument
                  (files given as they are form one part), alike on every
                  machine
  --update        pass over a file whose output is there already and newer
                  than the file (reported as &apos;up to date&apos;, status &apos;up-to-date&apos;
                  in --json, no longer &apos;skipped&apos;); without it an existing
                  output is replaced
  --dry-run       print the tool&apos;s command for each file, convert nothing
  --quiet         no progress; only failures and warnings are reported
  --json          a JSON object per file on standard output as it ends; its
                  reason, warning and note are in English
  --from FILE     also convert the paths listed in FILE, one a line (&apos;-&apos;:
                  standard input; a CR ending a line is dropped, empty lines
                  are passed over)
  -0, --null      the list&apos;s paths end with a NUL byte instead of a newline
  --help          this text
  --version       the version

Each output gets the input&apos;s tags. A file whose tags cannot be copied, or
whose echo clipped samples, is still converted, and reported in a warning. A
file whose output would replace the output of an earlier, other file of the
same run is skipped; a file given twice is converted twice.

Exit status: 0 every file converted, 1 at least one file failed, 2 usage
error, 130 interrupted.
</source>
        <translation>Aufruf: echobatch-cli [--out DIR] [--gain-in T] [--gain-out T] [--delay T]
                      [--decay T] [--jobs N] [--bitrate KBPS|keep]
                      [--keep-tree [--shard K/N]] [--update] [--dry-run]
                      [--quiet] [--json] [--from FILE [--null]] [PATH...]

Fügt jeder angegebenen MP3-Datei ein Echo hinzu und schreibt das Ergebnis
unter demselben Grundnamen mit der Endung .mp3 in den Ausgabeordner.

  --out DIR       Ausgabeordner (Vorgabe: der im Fenster gespeicherte
                  Ausgabeordner); fehlt er, wird er samt übergeordneten
                  Ordnern angelegt
  --gain-in T     Eingangspegel (Vorgabe: gespeicherter Wert, sonst 0,8)
  --gain-out T    Ausgangspegel (Vorgabe: gespeicherter Wert, sonst 0,7)
  --delay T       Verzögerung in Millisekunden (Vorgabe: gespeicherter Wert,
                  sonst 63)
  --decay T       Abklingen (Vorgabe: gespeicherter Wert, sonst 0,3)
  --jobs N        gleichzeitige Umwandlungen (Vorgabe und 0: eine je
                  Prozessorkern)
  --bitrate KBPS  jede Datei als CBR mit KBPS kbit/s schreiben (8 bis 320; die
                  nächste Bitrate, die die Abtastrate der Datei erlaubt);
                  Vorgabe „keep“: Jede Datei behält die Bitrate ihrer
                  Eingabe, und VBR bleibt VBR
  --keep-tree     eine Datei aus einem als PATH angegebenen Ordner kommt in
                  denselben relativen Ordner unterhalb des Ausgabeordners (bei
                  Bedarf angelegt)
  --shard K/N     mit --keep-tree: nur den K-ten von N Teilen der Liste
                  umwandeln, aufgeteilt nach dem Ordner jeder Datei unterhalb
                  ihres Ordnerarguments (direkt angegebene Dateien bilden
                  einen Teil), auf jedem Rechner gleich
  --update        eine Datei übergehen, deren Ausgabe schon vorhanden und
                  neuer als die Datei ist (gemeldet als „bereits aktuell“, in
                  --json Status „up-to-date“, nicht mehr „skipped“); ohne
                  diese Option wird eine vorhandene Ausgabe ersetzt
  --dry-run       den Befehl des Werkzeugs für jede Datei ausgeben, nichts
                  umwandeln
  --quiet         kein Fortschritt; nur Fehler und Warnungen werden gemeldet
  --json          ein JSON-Objekt je Datei auf der Standardausgabe, sobald sie
                  fertig ist; „reason“, „warning“ und „note“ auf Englisch
  --from FILE     auch die in FILE aufgeführten Pfade umwandeln, einer je
                  Zeile („-“: Standardeingabe; ein CR am Zeilenende wird
                  entfernt, leere Zeilen werden übergangen)
  -0, --null      die Pfade der Liste enden mit einem NUL-Byte statt mit einem
                  Zeilenumbruch
  --help          dieser Text
  --version       die Version

Jede Ausgabe erhält die Tags ihrer Eingabe. Eine Datei, deren Tags nicht
kopiert werden können oder deren Echo Samples übersteuert, wird trotzdem
umgewandelt und in einer Warnung gemeldet. Eine Datei, deren Ausgabe die
Ausgabe einer früheren, anderen Datei desselben Laufs ersetzen würde, wird
übersprungen; eine zweimal angegebene Datei wird zweimal umgewandelt.

Rückgabewert: 0 jede Datei umgewandelt, 1 mindestens eine Datei
fehlgeschlagen, 2 Aufruffehler, 130 unterbrochen.
</translation>
    </message>
    <message>
        <source>a gain written is missing</source>
        <translation>ein geschriebener ReplayGain-Wert fehlt</translation>
    </message>
    <message>
        <source>the ReplayGain values read back differ: </source>
        <translation>die zurückgelesenen ReplayGain-Werte weichen ab: </translation>
    </message>
    <message>
        <source>the ReplayGain values cannot be handed to the tag copy: </source>
        <translation>die ReplayGain-Werte lassen sich dem Kopieren der Tags nicht übergeben: </translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> und %n weitere</numerusform>
            <numerusform> und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>it keeps no ReplayGain values</source>
        <translation>sie enthält keine ReplayGain-Werte</translation>
    </message>
    <message>
        <source>ReplayGain not written: </source>
        <translation>ReplayGain nicht geschrieben: </translation>
    </message>
    <message>
        <source>the output is shorter than 0.4 s</source>
        <translation>die Ausgabe ist kürzer als 0,4 s</translation>
    </message>
    <message>
        <source>the output is silent</source>
        <translation>die Ausgabe ist stumm</translation>
    </message>
    <message>
        <source>; the input&apos;s values are still on the output: </source>
        <translation>; die Werte der Eingabe stehen noch in der Ausgabe: </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files up to date with a warning:</source>
        <translation>
            <numerusform>echobatch-cli: %1 von %n Datei bereits aktuell, mit Warnung:</numerusform>
            <numerusform>echobatch-cli: %1 von %n Dateien bereits aktuell, mit Warnung:</numerusform>
        </translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>no decoder reads this file&apos;s format</source>
        <translation>kein Dekoder liest das Format dieser Datei</translation>
    </message>
    <message>
        <source>cannot open the input: %1</source>
        <translation>die Eingabe kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>no audio: the file is too short to hold any</source>
        <translation>kein Ton: die Datei ist zu kurz, um Ton zu enthalten</translation>
    </message>
    <message>
        <source>no decoder reads files of the type .%1</source>
        <translation>kein Dekoder liest Dateien vom Typ .%1</translation>
    </message>
    <message>
        <source>the delay is too long for this file&apos;s sample rate (at most %1 s)</source>
        <translation>die Verzögerung ist für die Abtastrate dieser Datei zu lang (höchstens %1 s)</translation>
    </message>
    <message>
        <source>the delay is shorter than one sample at this file&apos;s sample rate</source>
        <translation>die Verzögerung ist kürzer als ein Abtastwert bei der Abtastrate dieser Datei</translation>
    </message>
    <message>
        <source>SoX failed: %1</source>
        <translation>SoX ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>at least %1</source>
        <translation>mindestens %1</translation>
    </message>
    <message>
        <source>from %1 to %2</source>
        <translation>von %1 bis %2</translation>
    </message>
    <message>
        <source>Value out of range.</source>
        <translation>Der Wert liegt außerhalb des zulässigen Bereichs.</translation>
    </message>
    <message>
        <source>the file changed while it was read</source>
        <translation>die Datei wurde während des Lesens geändert</translation>
    </message>
    <message>
        <source>the output folder %1 was moved or replaced while the file was converted</source>
        <translation>der Ausgabeordner %1 wurde während der Umwandlung verschoben oder ersetzt</translation>
    </message>
    <message>
        <source>the temporary output is not ours</source>
        <translation>die temporäre Ausgabedatei gehört nicht zu diesem Lauf</translation>
    </message>
    <message>
        <source>the temporary output was replaced by another file meanwhile</source>
        <translation>die temporäre Ausgabedatei wurde inzwischen durch eine andere Datei ersetzt</translation>
    </message>
</context>
</TS>
