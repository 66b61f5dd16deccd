<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="pl_PL">
    <context>
        <name>TForm2</name>
        <message>
            <source>Otwóż plik</source>
            <translation>Recording browser</translation>
        </message>
        <message>
            <source>Plik</source>
            <translation>File</translation>
        </message>
        <message>
            <source>Informacje</source>
            <translation>Information</translation>
        </message>
        <message>
            <source>Próbkowanie (ms):</source>
            <translation>Sampling (ms):</translation>
        </message>
        <message>
            <source>Czas rozpoczęcia:</source>
            <translation>Start time:</translation>
        </message>
        <message>
            <source>Długość (h:m:s:ms):</source>
            <translation>Length (h:m:s:ms):</translation>
        </message>
        <message>
            <source>Ilość kanałów:</source>
            <translation>Channels:</translation>
        </message>
        <message>
            <source>Znaczniki:</source>
            <translation>Markers:</translation>
        </message>
        <message>
            <source>Komentarz</source>
            <translation>Comment</translation>
        </message>
        <message>
            <source>Aktualizuj</source>
            <translation>Update</translation>
        </message>
        <message>
            <source>Usuń</source>
            <translation>Delete</translation>
        </message>
        <message>
            <source>Zmień nazwę</source>
            <translation>Rename</translation>
        </message>
        <message>
            <source>Otwórz</source>
            <translation>Open</translation>
        </message>
        <message>
            <source>Anuluj</source>
            <translation>Cancel</translation>
        </message>
    </context>
    <context>
        <name>TForm5</name>
        <message>
            <source>FFT</source>
            <translation>FFT</translation>
        </message>
        <message>
            <source>Analiza widmowa FFT</source>
            <translation>FFT spectrum analysis</translation>
        </message>
        <message>
            <source>Zoom x10</source>
            <translation>Zoom x10</translation>
        </message>
        <message>
            <source>Skaluj kanały osobno</source>
            <translation>Scale each channel</translation>
        </message>
        <message>
            <source>Kanały:</source>
            <translation>Channels:</translation>
        </message>
    </context>
    <context>
        <name>TForm6</name>
        <message>
            <source>Opis</source>
            <translation>Description</translation>
        </message>
        <message>
            <source>Aktualizuj</source>
            <translation>Update</translation>
        </message>
    </context>
    <context>
        <name>TForm7</name>
        <message>
            <source>Kalibracja</source>
            <translation>Calibration</translation>
        </message>
        <message>
            <source>Kalibracja składowej stałej</source>
            <translation>DC offset calibration</translation>
        </message>
        <message>
            <source>Kanał A</source>
            <translation>Channel A</translation>
        </message>
        <message>
            <source>Kanał B</source>
            <translation>Channel B</translation>
        </message>
        <message>
            <source>Kanał C</source>
            <translation>Channel C</translation>
        </message>
        <message>
            <source>Kanał D</source>
            <translation>Channel D</translation>
        </message>
        <message>
            <source>(0..255) Domyślnie 100</source>
            <translation>(0..255) Default 100</translation>
        </message>
        <message>
            <source>Anuluj</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>Zapisz</source>
            <translation>Save</translation>
        </message>
    </context>
    <context>
        <name>TForm8</name>
        <message>
            <source>Zmiana nazwy</source>
            <translation>Rename</translation>
        </message>
        <message>
            <source>Nowa nazwa</source>
            <translation>New name</translation>
        </message>
        <message>
            <source>Potwierdź</source>
            <translation>Confirm</translation>
        </message>
    </context>
    <context>
        <name>TFormDzialania</name>
        <message>
            <source>Działania na przebiegach</source>
            <translation>Waveform math</translation>
        </message>
        <message>
            <source>Nowy kanał</source>
            <translation>New channel</translation>
        </message>
        <message>
            <source>Działanie:</source>
            <translation>Operation:</translation>
        </message>
        <message>
            <source>Próbek średniej:</source>
            <translation>Samples averaged:</translation>
        </message>
        <message>
            <source>Kanał:</source>
            <translation>Channel:</translation>
        </message>
        <message>
            <source>V/dz:</source>
            <translation>V/div:</translation>
        </message>
        <message>
            <source>Usuń kanał</source>
            <translation>Delete channel</translation>
        </message>
        <message>
            <source>Usuń kanał C</source>
            <translation>Delete channel C</translation>
        </message>
        <message>
            <source>Usuń kanał D</source>
            <translation>Delete channel D</translation>
        </message>
        <message>
            <source>Oblicz</source>
            <translation>Compute</translation>
        </message>
        <message>
            <source>Anuluj</source>
            <translation>Cancel</translation>
        </message>
    </context>
    <context>
        <name>TFormPomiary</name>
        <message>
            <source>Pomiary parametrów</source>
            <translation>Measurements</translation>
        </message>
        <message>
            <source>Widok</source>
            <translation>View</translation>
        </message>
        <message>
            <source>Zaznaczenie</source>
            <translation>Selection</translation>
        </message>
        <message>
            <source>Między kursorami</source>
            <translation>Between cursors</translation>
        </message>
        <message>
            <source>Całe nagranie</source>
            <translation>Whole recording</translation>
        </message>
        <message>
            <source>Anuluj</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <source>Kopiuj</source>
            <translation>Copy</translation>
        </message>
        <message>
            <source>Zapisz okresy…</source>
            <translation>Save periods…</translation>
        </message>
        <message>
            <source>Podgląd</source>
            <translation>Preview</translation>
        </message>
        <message>
            <source>Między znacznikami</source>
            <translation>Between markers</translation>
        </message>
    </context>
    <context>
        <name>varnilog::AboutWindow</name>
        <message>
            <source>GNU GPL w wersji 3 lub późniejszej (GPL-3.0-or-later): wolno go używać, zmieniać i rozpowszechniać na jej warunkach, bez żadnej gwarancji.</source>
            <translation>GNU GPL version 3 or later (GPL-3.0-or-later): you may use, change and distribute it under its terms, without any warranty.</translation>
        </message>
        <message>
            <source>O Programie</source>
            <translation>About</translation>
        </message>
        <message>
            <source>Wersja %1</source>
            <translation>Version %1</translation>
        </message>
        <message>
            <source>&lt;p&gt;Oscyloskop i rejestrator z płytkami KZ100–KZ400.&lt;/p&gt;</source>
            <translation>&lt;p&gt;Oscilloscope and data recorder with the KZ100–KZ400 boards.&lt;/p&gt;</translation>
        </message>
        <message>
            <source>Płytki:</source>
            <translation>Boards:</translation>
        </message>
        <message>
            <source>Licencja:</source>
            <translation>Licence:</translation>
        </message>
        <message>
            <source>Plik konfiguracji:</source>
            <translation>Configuration file:</translation>
        </message>
        <message>
            <source>Folder danych:</source>
            <translation>Data folder:</translation>
        </message>
    </context>
    <context>
        <name>varnilog::ExportDialog</name>
        <message>
            <source>Pliki tekstowe (*.txt)</source>
            <translation>Text files (*.txt)</translation>
        </message>
        <message>
            <source>Nie można utworzyć pliku %1: %2</source>
            <translation>Cannot create file %1: %2</translation>
        </message>
        <message>
            <source>Eksport do .txt…</source>
            <translation>Export to .txt…</translation>
        </message>
        <message>
            <source>Błąd zapisu pliku %1: %2</source>
            <translation>Error writing file %1: %2</translation>
        </message>
    </context>
    <context>
        <name>varnilog::InterchangeDialogs</name>
        <message>
            <source>Plik WAV (*.wav)</source>
            <translation>WAV file (*.wav)</translation>
        </message>
        <message>
            <source>Sesja sigrok (*.sr)</source>
            <translation>sigrok session (*.sr)</translation>
        </message>
        <message>
            <source>Plik CSV (*.csv)</source>
            <translation>CSV file (*.csv)</translation>
        </message>
        <message>
            <source>Pliki tekstowe (*.txt)</source>
            <translation>Text files (*.txt)</translation>
        </message>
        <message>
            <source>Nie można utworzyć pliku %1: %2</source>
            <translation>Cannot create file %1: %2</translation>
        </message>
        <message>
            <source>Eksport…</source>
            <translation>Export…</translation>
        </message>
        <message>
            <source>Błąd zapisu pliku %1: %2</source>
            <translation>Error writing file %1: %2</translation>
        </message>
        <message>
            <source>Nagrania innych programów (*.wav *.sr *.csv)</source>
            <translation>Recordings of other programs (*.wav *.sr *.csv)</translation>
        </message>
        <message>
            <source>Import…</source>
            <translation>Import…</translation>
        </message>
        <message>
            <source>Import nie powiódł się: %1</source>
            <translation>Import failed: %1</translation>
        </message>
    </context>
    <context>
        <name>varnilog::ManualWindow</name>
        <message>
            <source>Instrukcja</source>
            <translation>Manual</translation>
        </message>
    </context>
    <context>
        <name>varnilog::PagePrinting</name>
        <message>
            <source>obraz</source>
            <translation>image</translation>
        </message>
        <message>
            <source>Obraz PNG (*.png);;Obraz SVG (*.svg);;Dokument PDF (*.pdf)</source>
            <translation>PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)</translation>
        </message>
        <message>
            <source>Nieznany typ pliku %1: wybierz PNG, SVG lub PDF.</source>
            <translation>Unknown file type %1: choose PNG, SVG or PDF.</translation>
        </message>
        <message>
            <source>Błąd zapisu pliku %1: %2</source>
            <translation>Error writing file %1: %2</translation>
        </message>
    </context>
    <context>
        <name>varnilog::PrintPage</name>
        <message>
            <source>Próbkowanie: %1</source>
            <translation>Sampling: %1</translation>
        </message>
        <message>
            <source>Model: %1</source>
            <translation>Model: %1</translation>
        </message>
        <message>
            <source>Kursory</source>
            <translation>Cursors</translation>
        </message>
        <message>
            <source>brak</source>
            <translation>none</translation>
        </message>
        <message>
            <source>Przebieg: %1</source>
            <translation>Waveform: %1</translation>
        </message>
        <message>
            <source>Początek: %1</source>
            <translation>Start: %1</translation>
        </message>
        <message>
            <source>Długość: %1</source>
            <translation>Length: %1</translation>
        </message>
        <message>
            <source>Opis:</source>
            <translation>Description:</translation>
        </message>
        <message>
            <source>Wydrukowano: %1</source>
            <translation>Printed: %1</translation>
        </message>
    </context>
    <context>
        <name>varnilog::TForm2</name>
        <message>
            <source>&amp;Otworz</source>
            <translation>&amp;Open</translation>
        </message>
        <message>
            <source>&amp;Zmień nazwę</source>
            <translation>&amp;Rename</translation>
        </message>
        <message>
            <source>&amp;Usuń</source>
            <translation>&amp;Delete</translation>
        </message>
        <message>
            <source>Nie można otworzyć folderu %1.</source>
            <translation>Cannot open folder %1.</translation>
        </message>
        <message>
            <source>Nie można zapisać opisu %1: %2</source>
            <translation>Cannot save description %1: %2</translation>
        </message>
        <message>
            <source>Nie można usunąć nagrywanego zapisu.</source>
            <translation>Cannot delete the recording being written.</translation>
        </message>
        <message>
            <source>Uwaga!</source>
            <translation>Warning!</translation>
        </message>
        <message>
            <source>Czy na pewno usunąć zapis?</source>
            <translation>Delete this recording?</translation>
        </message>
        <message>
            <source>Nie można usunąć wszystkich plików zapisu %1.</source>
            <translation>Cannot delete all files of recording %1.</translation>
        </message>
        <message>
            <source>Nie można zmienić nazwy nagrywanego zapisu.</source>
            <translation>Cannot rename the recording being written.</translation>
        </message>
        <message>
            <source>Opis %1 pozostał po usuniętym zapisie. Zastąpić go?</source>
            <translation>Description %1 was left by a deleted recording. Replace it?</translation>
        </message>
    </context>
    <context>
        <name>varnilog::TForm5</name>
        <message>
            <source>Obliczanie widma FFT…</source>
            <translation>Computing FFT spectrum…</translation>
        </message>
    </context>
    <context>
        <name>varnilog::TForm6</name>
        <message>
            <source>Nie można zapisać opisu %1: %2</source>
            <translation>Cannot save description %1: %2</translation>
        </message>
    </context>
    <context>
        <name>varnilog::TFormDzialania</name>
        <message>
            <source>A + B</source>
            <translation>A + B</translation>
        </message>
        <message>
            <source>A − B</source>
            <translation>A − B</translation>
        </message>
        <message>
            <source>B − A</source>
            <translation>B − A</translation>
        </message>
        <message>
            <source>−A</source>
            <translation>−A</translation>
        </message>
        <message>
            <source>−B</source>
            <translation>−B</translation>
        </message>
        <message>
            <source>Średnia A</source>
            <translation>Mean A</translation>
        </message>
        <message>
            <source>Średnia B</source>
            <translation>Mean B</translation>
        </message>
        <message>
            <source>Auto</source>
            <translation>Auto</translation>
        </message>
        <message>
            <source>Nagranie nie zawiera kanału B.</source>
            <translation>The recording has no channel B.</translation>
        </message>
        <message>
            <source>Uwaga!</source>
            <translation>Warning!</translation>
        </message>
        <message>
            <source>Kanał %1 zawiera nagrane dane. Zastąpić je?</source>
            <translation>Channel %1 holds recorded data. Replace it?</translation>
        </message>
        <message>
            <source>Nagranie nie zawiera próbek.</source>
            <translation>The recording has no samples.</translation>
        </message>
        <message>
            <source>Błąd odczytu pliku: %1</source>
            <translation>Error reading file: %1</translation>
        </message>
        <message>
            <source>Nie można zapisać pliku: %1</source>
            <translation>Cannot write file: %1</translation>
        </message>
        <message>
            <source>Kanał %1 zawiera nagrane dane. Czy na pewno usunąć?</source>
            <translation>Channel %1 holds recorded data. Delete it?</translation>
        </message>
        <message>
            <source>Czy na pewno usunąć kanał %1?</source>
            <translation>Delete channel %1?</translation>
        </message>
    </context>
    <context>
        <name>varnilog::TFormPomiary</name>
        <message>
            <source>Maksimum</source>
            <translation>Maximum</translation>
        </message>
        <message>
            <source>Minimum</source>
            <translation>Minimum</translation>
        </message>
        <message>
            <source>Międzyszczytowa</source>
            <translation>Peak-to-peak</translation>
        </message>
        <message>
            <source>Średnia</source>
            <translation>Mean</translation>
        </message>
        <message>
            <source>Skuteczna</source>
            <translation>RMS</translation>
        </message>
        <message>
            <source>Skuteczna AC</source>
            <translation>AC RMS</translation>
        </message>
        <message>
            <source>Częstotliwość</source>
            <translation>Frequency</translation>
        </message>
        <message>
            <source>Okres</source>
            <translation>Period</translation>
        </message>
        <message>
            <source>Wypełnienie</source>
            <translation>Duty cycle</translation>
        </message>
        <message>
            <source>Czas narastania</source>
            <translation>Rise time</translation>
        </message>
        <message>
            <source>Czas opadania</source>
            <translation>Fall time</translation>
        </message>
        <message>
            <source>Liczba okresów</source>
            <translation>Period count</translation>
        </message>
        <message>
            <source>Liczba próbek</source>
            <translation>Sample count</translation>
        </message>
        <message>
            <source>Przerwano pomiar</source>
            <translation>Measurement stopped</translation>
        </message>
        <message>
            <source>Próbki %1–%2 (%3)</source>
            <translation>Samples %1–%2 (%3)</translation>
        </message>
        <message>
            <source>Nie można zapisać pliku: %1</source>
            <translation>Cannot write file: %1</translation>
        </message>
        <message>
            <source>Błąd odczytu pliku: %1</source>
            <translation>Error reading file: %1</translation>
        </message>
        <message>
            <source>Pliki CSV (*.csv)</source>
            <translation>CSV files (*.csv)</translation>
        </message>
        <message>
            <source>okresy</source>
            <translation>periods</translation>
        </message>
        <message>
            <source>Podgląd</source>
            <translation>Preview</translation>
        </message>
        <message>
            <source>Między znacznikami</source>
            <translation>Between markers</translation>
        </message>
    </context>
</TS>
