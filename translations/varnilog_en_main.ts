<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="pl_PL">
<context>
    <name>TForm1</name>
    <message>
        <source>Varnilog 2k</source>
        <translation>Varnilog 2k</translation>
    </message>
    <message>
        <source>Przebieg czasowy</source>
        <translation>Waveform</translation>
    </message>
    <message>
        <source>Widok</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Oddal</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Zbliż</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Pokaż całość</source>
        <translation>Fit all</translation>
    </message>
    <message>
        <source>Pokaż zaznaczenie</source>
        <translation>Show selection</translation>
    </message>
    <message>
        <source>Wyłącz powiększenie</source>
        <translation>Zoom off</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>D</source>
        <translation>D</translation>
    </message>
    <message>
        <source>Podgląd przy próbkowaniu</source>
        <translation>Preview while sampling</translation>
    </message>
    <message>
        <source>Kursory</source>
        <translation>Cursors</translation>
    </message>
    <message>
        <source>Aktywne</source>
        <translation>Active</translation>
    </message>
    <message>
        <source>Włącz kursory</source>
        <translation>Turn the cursors on</translation>
    </message>
    <message>
        <source>Kursor1 na kanale:</source>
        <translation>Cursor 1 on channel:</translation>
    </message>
    <message>
        <source>Kursor2 na kanale:</source>
        <translation>Cursor 2 on channel:</translation>
    </message>
    <message>
        <source>Start próbkowania</source>
        <translation>Start sampling</translation>
    </message>
    <message>
        <source>Zatrzymaj próbkowanie</source>
        <translation>Stop sampling</translation>
    </message>
    <message>
        <source>Otwórz</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>Dodaj znacznik (M)</source>
        <translation>Add marker (M)</translation>
    </message>
    <message>
        <source>V/dz</source>
        <translation>V/div</translation>
    </message>
    <message>
        <source>10V</source>
        <translation>10V</translation>
    </message>
    <message>
        <source>5V</source>
        <translation>5V</translation>
    </message>
    <message>
        <source>2V</source>
        <translation>2V</translation>
    </message>
    <message>
        <source>1V</source>
        <translation>1V</translation>
    </message>
    <message>
        <source>0.5V</source>
        <translation>0.5V</translation>
    </message>
    <message>
        <source>0.2V</source>
        <translation>0.2V</translation>
    </message>
    <message>
        <source>0.1V</source>
        <translation>0.1V</translation>
    </message>
    <message>
        <source>50mV</source>
        <translation>50mV</translation>
    </message>
    <message>
        <source>20mV</source>
        <translation>20mV</translation>
    </message>
    <message>
        <source>10mV</source>
        <translation>10mV</translation>
    </message>
    <message>
        <source>Kanał</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Sprzężenie</source>
        <translation>Coupling</translation>
    </message>
    <message>
        <source>AC</source>
        <translation>AC</translation>
    </message>
    <message>
        <source>GND</source>
        <translation>GND</translation>
    </message>
    <message>
        <source>DC</source>
        <translation>DC</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>T/S</source>
        <translation>T/div</translation>
    </message>
    <message>
        <source>1s</source>
        <translation>1s</translation>
    </message>
    <message>
        <source>0.5s</source>
        <translation>0.5s</translation>
    </message>
    <message>
        <source>0.2s</source>
        <translation>0.2s</translation>
    </message>
    <message>
        <source>0.1s</source>
        <translation>0.1s</translation>
    </message>
    <message>
        <source>50ms</source>
        <translation>50ms</translation>
    </message>
    <message>
        <source>20ms</source>
        <translation>20ms</translation>
    </message>
    <message>
        <source>10ms</source>
        <translation>10ms</translation>
    </message>
    <message>
        <source>5ms</source>
        <translation>5ms</translation>
    </message>
    <message>
        <source>2ms</source>
        <translation>2ms</translation>
    </message>
    <message>
        <source>1ms</source>
        <translation>1ms</translation>
    </message>
    <message>
        <source>0.5ms</source>
        <translation>0.5ms</translation>
    </message>
    <message>
        <source>0.2ms</source>
        <translation>0.2ms</translation>
    </message>
    <message>
        <source>0.1ms</source>
        <translation>0.1ms</translation>
    </message>
    <message>
        <source>50us</source>
        <translation>50us</translation>
    </message>
    <message>
        <source>20us</source>
        <translation>20us</translation>
    </message>
    <message>
        <source>10us</source>
        <translation>10us</translation>
    </message>
    <message>
        <source>5us</source>
        <translation>5us</translation>
    </message>
    <message>
        <source>2us</source>
        <translation>2us</translation>
    </message>
    <message>
        <source>1us</source>
        <translation>1us</translation>
    </message>
    <message>
        <source>0.5us</source>
        <translation>0.5us</translation>
    </message>
    <message>
        <source>0.2us</source>
        <translation>0.2us</translation>
    </message>
    <message>
        <source>0.1us</source>
        <translation>0.1us</translation>
    </message>
    <message>
        <source>Próbkowanie</source>
        <translation>Sampling</translation>
    </message>
    <message>
        <source>Drukuj</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>Pomiary parametrów</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>FFT</source>
        <translation>FFT</translation>
    </message>
    <message>
        <source>Działania na przebiegach</source>
        <translation>Waveform math</translation>
    </message>
    <message>
        <source>Ustawienia</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Wyjście z programu</source>
        <translation>Exit the program</translation>
    </message>
    <message>
        <source>&amp;Plik</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Układ</source>
        <translation>&amp;Device</translation>
    </message>
    <message>
        <source>P&amp;omoc</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Odczyt</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Eksport do .txt</source>
        <translation>Export to .txt</translation>
    </message>
    <message>
        <source>Eksport…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Import…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>Zapisz obraz…</source>
        <translation>Save image…</translation>
    </message>
    <message>
        <source>Koniec</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>&amp;Opis</source>
        <translation>&amp;Description</translation>
    </message>
    <message>
        <source>&amp;Kalibracja</source>
        <translation>&amp;Calibration</translation>
    </message>
    <message>
        <source>O Programie</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Instrukcja</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>KZ100 ATMega32</source>
        <translation>KZ100 ATMega32</translation>
    </message>
    <message>
        <source>KZ200 ADuC841</source>
        <translation>KZ200 ADuC841</translation>
    </message>
    <message>
        <source>KZ300 LPC2142</source>
        <translation>KZ300 LPC2142</translation>
    </message>
    <message>
        <source>KZ400 LPC2144</source>
        <translation>KZ400 LPC2144</translation>
    </message>
</context>
<context>
    <name>varnilog::LongWorkWindow</name>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>varnilog::MarkerKind</name>
    <message>
        <source>uwaga</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>strata</source>
        <translation>Data loss</translation>
    </message>
    <message>
        <source>wyzwolenie</source>
        <translation>Trigger event</translation>
    </message>
    <message>
        <source>zakres</source>
        <translation>Range</translation>
    </message>
</context>
<context>
    <name>varnilog::MarkersWindow</name>
    <message>
        <source>Znaczniki</source>
        <translation>Markers</translation>
    </message>
    <message>
        <source>Wszystkie</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Czas</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Rodzaj</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>Etykieta</source>
        <translation>Label</translation>
    </message>
    <message>
        <source>Zaznacz do następnego</source>
        <translation>Select to next</translation>
    </message>
</context>
<context>
    <name>varnilog::QtMessageBoxes</name>
    <message>
        <source>Błąd!</source>
        <translation>Error!</translation>
    </message>
</context>
<context>
    <name>varnilog::QtStandardDialogs</name>
    <message>
        <source>Podgląd wydruku</source>
        <translation>Print preview</translation>
    </message>
</context>
<context>
    <name>varnilog::TForm1</name>
    <message>
        <source>Wyzwalanie</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>Dodaj znacznik</source>
        <translation>Add marker</translation>
    </message>
    <message>
        <source>Dodaj zakres</source>
        <translation>Add range</translation>
    </message>
    <message>
        <source>Znaczniki</source>
        <translation>Markers</translation>
    </message>
    <message>
        <source>%1 na %2</source>
        <comment>window title: board and version, then its processor</comment>
        <translation>%1 on %2</translation>
    </message>
    <message>
        <source>Pominięte: %1 B</source>
        <translation>Skipped: %1 B</translation>
    </message>
    <message>
        <source>Eksport</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Eksportować tylko zaznaczenie (%1 próbek)?</source>
        <translation>Export only the selection (%1 samples)?</translation>
    </message>
    <message>
        <source>Plik znaczników jest uszkodzony: pominięto wierszy: %1</source>
        <translation>The marker file is damaged: lines skipped: %1</translation>
    </message>
    <message>
        <source>Indeks podglądu: %1%</source>
        <translation>Preview index: %1%</translation>
    </message>
    <message>
        <source>Brak kanału %1</source>
        <translation>No channel %1</translation>
    </message>
    <message>
        <source>Szukanie zdarzenia…</source>
        <translation>Searching for an event…</translation>
    </message>
    <message>
        <source>Błąd odczytu pliku %1</source>
        <translation>Error reading the file %1</translation>
    </message>
    <message>
        <source>Brak następnego zdarzenia</source>
        <translation>No next event</translation>
    </message>
    <message>
        <source>Brak poprzedniego zdarzenia</source>
        <translation>No previous event</translation>
    </message>
</context>
<context>
    <name>varnilog::TriggerTab</name>
    <message>
        <source>Tryb wyzwalania</source>
        <translation>Trigger mode</translation>
    </message>
    <message>
        <source>Wył.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Normalny</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Pojedynczy</source>
        <translation>Single</translation>
    </message>
    <message>
        <source>Źródło</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Zbocze</source>
        <translation>Edge</translation>
    </message>
    <message>
        <source>narastające</source>
        <translation>rising</translation>
    </message>
    <message>
        <source>opadające</source>
        <translation>falling</translation>
    </message>
    <message>
        <source>Poziom</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>Położenie wyzwolenia</source>
        <translation>Trigger position</translation>
    </message>
    <message>
        <source>Histereza, szerokość, holdoff</source>
        <translation>Hysteresis, width, holdoff</translation>
    </message>
    <message>
        <source>Uzbrój</source>
        <translation>Arm</translation>
    </message>
    <message>
        <source>Poprzednie (Shift+F3)</source>
        <translation>Previous (Shift+F3)</translation>
    </message>
    <message>
        <source>Poprzednie</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>Następne (F3)</source>
        <translation>Next (F3)</translation>
    </message>
    <message>
        <source>Następne</source>
        <translation>Next</translation>
    </message>
    <message>
        <source> dz</source>
        <comment>divisions</comment>
        <translation> div</translation>
    </message>
    <message>
        <source>dowolna</source>
        <translation>any</translation>
    </message>
    <message>
        <source>krótszy niż</source>
        <translation>shorter than</translation>
    </message>
    <message>
        <source>dłuższy niż</source>
        <translation>longer than</translation>
    </message>
    <message>
        <source> próbek</source>
        <translation> samples</translation>
    </message>
    <message>
        <source>Histereza:</source>
        <translation>Hysteresis:</translation>
    </message>
    <message>
        <source>Impuls:</source>
        <translation>Pulse:</translation>
    </message>
    <message>
        <source>Holdoff:</source>
        <translation>Holdoff:</translation>
    </message>
    <message>
        <source>Czeka</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>Wyzwolono</source>
        <translation>Triggered</translation>
    </message>
    <message>
        <source>Zatrzymano</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>Zdarzenia: %1</source>
        <translation>Events: %1</translation>
    </message>
</context>
</TS>
