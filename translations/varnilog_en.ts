<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="pl_PL">
<context>
    <name>MathWindow</name>
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
    <message>
        <source>Wyrażenie:</source>
        <translation>Expression:</translation>
    </message>
    <message>
        <source>Wstaw:</source>
        <translation>Insert:</translation>
    </message>
</context>
<context>
    <name>MeasurementsWindow</name>
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
    <message>
        <source>Od znacznika wybranego w oknie „Znaczniki” do następnego</source>
        <translation>From the marker selected in the “Markers” window to the next one</translation>
    </message>
    <message>
        <source>Statystyka</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>Minimum, maksimum, średnia, σ i liczba: klatek podglądu od Start lub interwałów nagrania</source>
        <translation>Minimum, maximum, mean, σ and count: of the preview&apos;s frames since Start or of the recording&apos;s intervals</translation>
    </message>
    <message>
        <source>co </source>
        <translation>every </translation>
    </message>
    <message>
        <source> próbek</source>
        <translation> samples</translation>
    </message>
    <message>
        <source>Wyczyść statystyki</source>
        <translation>Clear statistics</translation>
    </message>
</context>
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
        <translation>T/S</translation>
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
        <translation>Exit</translation>
    </message>
    <message>
        <source>&amp;Plik</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Układ</source>
        <translation>&amp;Board</translation>
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
    <message>
        <source>Dodaj znacznik</source>
        <translation>Add marker</translation>
    </message>
</context>
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
        <translation>Save</translation>
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
    <name>TForm4</name>
    <message>
        <source>Ustawienia</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Urządzenie</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Port COM:</source>
        <translation>Serial port:</translation>
    </message>
    <message>
        <source>Wygląd</source>
        <translation>Appearance</translation>
    </message>
    <message>
        <source>Kolor przebiegu</source>
        <translation>Trace colour</translation>
    </message>
    <message>
        <source>Gradient tła</source>
        <translation>Background gradient</translation>
    </message>
    <message>
        <source>Użyj jednego koloru</source>
        <translation>Use one colour</translation>
    </message>
    <message>
        <source>Język</source>
        <translation>Language</translation>
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
        <translation>Save</translation>
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
    <name>varnilog::Acquisition</name>
    <message>
        <source>Port nie obsługuje prędkości 921600 !</source>
        <translation>The port does not support 921600 baud!</translation>
    </message>
    <message>
        <source>Nie można otworzyć portu ! %1: %2</source>
        <translation>Cannot open the port! %1: %2</translation>
    </message>
    <message>
        <source>Nie można otworzyć portu !</source>
        <translation>Cannot open the port!</translation>
    </message>
    <message>
        <source>Otwarcie portu powiodło się ...</source>
        <translation>Port opened ...</translation>
    </message>
    <message>
        <source>Start Probkowania ...</source>
        <translation>Sampling started ...</translation>
    </message>
    <message>
        <source>Problem z komunikacją !!!</source>
        <translation>Communication problem!!!</translation>
    </message>
    <message>
        <source>Ponowna próba połączenia nr %1...</source>
        <translation>Connection retry %1...</translation>
    </message>
    <message>
        <source>Nie można utworzyć pliku !</source>
        <translation>Cannot create the file!</translation>
    </message>
    <message>
        <source>Pliki nagrania zostały usunięte !</source>
        <translation>The recording&apos;s files were deleted!</translation>
    </message>
    <message>
        <source>Pliki nagrania zostały usunięte z folderu danych!
 Nagrywanie zostało zatrzymane.</source>
        <translation>The recording&apos;s files were deleted from the data folder!
 Recording has stopped.</translation>
    </message>
    <message>
        <source>Przepelniony bufor!
 Zmniejsz prędkość próbkowania lub wyłącz podgląd</source>
        <translation>Buffer overflow!
 Lower the sampling rate or turn the preview off</translation>
    </message>
    <message>
        <source>Błąd zapisu pliku !</source>
        <translation>File write error!</translation>
    </message>
    <message>
        <source>Utracono połączenie z portem !</source>
        <translation>Connection to the port lost!</translation>
    </message>
    <message>
        <source>Utracono połączenie z portem!
 Nagrywanie zostało zatrzymane.</source>
        <translation>Connection to the port lost!
 Recording has stopped.</translation>
    </message>
    <message>
        <source>Brak ramek w odbieranych danych !</source>
        <translation>No frames in the received data!</translation>
    </message>
    <message>
        <source>Nie można zapisać próbek do pliku!
 Nagrywanie zostało zatrzymane.

%1</source>
        <translation>Cannot write the samples to the file!
 Recording has stopped.

%1</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Nie mogę zamknąć portu!</source>
        <translation>Cannot close the port!</translation>
    </message>
</context>
<context>
    <name>varnilog::ConfigLocation</name>
    <message>
        <source>Konfiguracja: %1</source>
        <translation>Configuration: %1</translation>
    </message>
</context>
<context>
    <name>varnilog::CursorTableWindow</name>
    <message>
        <source>Kursory</source>
        <translation>Cursors</translation>
    </message>
    <message>
        <source>Kursory napięcia</source>
        <translation>Voltage cursors</translation>
    </message>
    <message>
        <source>Pokaż w widoku</source>
        <translation>Show in view</translation>
    </message>
    <message>
        <source>Widok z obydwoma kursorami</source>
        <translation>The view with both cursors</translation>
    </message>
    <message>
        <source>Czas</source>
        <translation>Time</translation>
    </message>
</context>
<context>
    <name>varnilog::DecodeResults</name>
    <message>
        <source>%1: plik wyników dekodowania jest uszkodzony (bajt %2)</source>
        <translation>%1: the decoding results file is damaged (byte %2)</translation>
    </message>
    <message>
        <source>%1: za duży plik wyników dekodowania (ponad %2 MiB)</source>
        <translation>%1: the decoding results file is too large (over %2 MiB)</translation>
    </message>
    <message>
        <source>%1: próbki zmieniły się od dekodowania, nic nie zapisano</source>
        <translation>%1: the samples changed since they were decoded; nothing was saved</translation>
    </message>
</context>
<context>
    <name>varnilog::DecodeWindow</name>
    <message>
        <source>Czas</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Dekoder</source>
        <translation>Decoder</translation>
    </message>
    <message>
        <source>Klasa</source>
        <translation>Class</translation>
    </message>
    <message>
        <source>Tekst</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Dekodowanie</source>
        <translation>Decoding</translation>
    </message>
    <message>
        <source>Szukaj dekodera</source>
        <translation>Search decoder</translation>
    </message>
    <message>
        <source>Dodaj</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Usuń</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Progi [V]:</source>
        <translation>Thresholds [V]:</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Dekoduj</source>
        <translation>Decode</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Filtr tabeli</source>
        <translation>Table filter</translation>
    </message>
    <message>
        <source>Znajdź (F3, Shift+F3): tekst lub bajt 0x41</source>
        <translation>Find (F3, Shift+F3): text or byte 0x41</translation>
    </message>
    <message>
        <source>Biblioteka dekoderów niedostępna: %1</source>
        <translation>Decoder library unavailable: %1</translation>
    </message>
    <message>
        <source>Zgadnij</source>
        <translation>Guess</translation>
    </message>
    <message>
        <source>%1 nie czyta próbek: wybierz najpierw dekoder, na którym leży (%2)</source>
        <translation>%1 reads no samples: first choose a decoder it sits on (%2)</translation>
    </message>
    <message>
        <source>%1 nie leży na %2 (czyta: %3)</source>
        <translation>%1 does not sit on %2 (it reads: %3)</translation>
    </message>
    <message>
        <source>Za szybko: przy %1 próbkach/s bit trwa mniej niż %2 próbki, dekoder nie trafi w środek bitów. Skróć podstawę czasu albo zmniejsz szybkość.</source>
        <translation>Too fast: at %1 samples/s a bit lasts fewer than %2 samples, so the decoder cannot find the middle of the bits. Shorten the time base or lower the rate.</translation>
    </message>
    <message>
        <source>Wybierz dekoder</source>
        <translation>Choose a decoder</translation>
    </message>
    <message>
        <source>Brak próbek do dekodowania</source>
        <translation>No samples to decode</translation>
    </message>
    <message>
        <source>Nagranie nie ma kanału %1</source>
        <translation>The recording has no channel %1</translation>
    </message>
    <message>
        <source>Próg kanału %1 nie jest liczbą</source>
        <translation>The threshold of channel %1 is not a number</translation>
    </message>
    <message>
        <source>Dekodowanie…</source>
        <translation>Decoding…</translation>
    </message>
    <message>
        <source>Przerwano</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>Błąd odczytu pliku: %1</source>
        <translation>Error reading file: %1</translation>
    </message>
    <message>
        <source>Za mało zboczy, by zgadnąć szybkość</source>
        <translation>Too few edges to guess the rate</translation>
    </message>
    <message>
        <source>Szybkość: %1 b/s</source>
        <translation>Rate: %1 bit/s</translation>
    </message>
    <message>
        <source>%1: opcja %2 nie przyjmuje „%3” (dozwolone: %4)</source>
        <translation>%1: option %2 does not take “%3” (allowed: %4)</translation>
    </message>
    <message>
        <source>%1: przypisz kanał %2</source>
        <translation>%1: map its channel %2</translation>
    </message>
    <message>
        <source>Adnotacji: %1</source>
        <translation>Annotations: %1</translation>
    </message>
    <message>
        <source>Przypisz kanał dekoderowi</source>
        <translation>Map the decoder&apos;s channel</translation>
    </message>
    <message>
        <source>Zgadywanie szybkości…</source>
        <translation>Guessing the rate…</translation>
    </message>
    <message>
        <source>Nie znaleziono: %1</source>
        <translation>Not found: %1</translation>
    </message>
    <message>
        <source>Wiersze pod przebiegiem</source>
        <translation>Rows under the waveform</translation>
    </message>
</context>
<context>
    <name>varnilog::EventSearch</name>
    <message>
        <source>Nie można otworzyć pliku %1</source>
        <translation>Cannot open the file %1</translation>
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
    <message>
        <source>Zapisano plik %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>Przerwano eksport do %1</source>
        <translation>Export to %1 cancelled</translation>
    </message>
</context>
<context>
    <name>varnilog::Formula</name>
    <message>
        <source>nieznana nazwa &apos;%1&apos; w znaku %2</source>
        <translation>unknown name &apos;%1&apos; at %2</translation>
    </message>
    <message>
        <source>nieznana funkcja &apos;%1&apos; w znaku %2</source>
        <translation>unknown function &apos;%1&apos; at %2</translation>
    </message>
    <message>
        <source>zła liczba argumentów funkcji &apos;%1&apos; w znaku %2</source>
        <translation>wrong number of arguments of &apos;%1&apos; at %2</translation>
    </message>
    <message>
        <source>pierwszy argument &apos;%1&apos; musi być kanałem w znaku %2</source>
        <translation>the first argument of &apos;%1&apos; must be a channel at %2</translation>
    </message>
    <message>
        <source>argument &apos;%1&apos; musi być stałą w znaku %2</source>
        <translation>the argument of &apos;%1&apos; must be a constant at %2</translation>
    </message>
    <message>
        <source>kanał %1 jest celem działania w znaku %2</source>
        <translation>channel %1 is the target at %2</translation>
    </message>
    <message>
        <source>kanał %1 nie ma próbek w znaku %2</source>
        <translation>channel %1 has no samples at %2</translation>
    </message>
    <message>
        <source>stała funkcji &apos;%1&apos; poza zakresem %3 w znaku %2</source>
        <translation>the constant of &apos;%1&apos; is out of range %3 at %2</translation>
    </message>
    <message>
        <source>nieoczekiwane &apos;%1&apos; w znaku %2</source>
        <translation>unexpected &apos;%1&apos; at %2</translation>
    </message>
    <message>
        <source>wyrażenie urywa się w znaku %2</source>
        <translation>unexpected end at %2</translation>
    </message>
    <message>
        <source>brak nawiasu &apos;)&apos; w znaku %2</source>
        <translation>missing &apos;)&apos; at %2</translation>
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
        <source>Eksport…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Import…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>Import nie powiódł się: %1</source>
        <translation>Import failed: %1</translation>
    </message>
    <message>
        <source>Nagrania innych programów (%1)</source>
        <translation>Recordings of other programs (%1)</translation>
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
    <name>varnilog::ManualWindow</name>
    <message>
        <source>Instrukcja</source>
        <translation>Manual</translation>
    </message>
</context>
<context>
    <name>varnilog::MarkerFile</name>
    <message>
        <source>%1: znacznik %2–%3 jest błędny.</source>
        <translation>%1: the marker %2–%3 is invalid.</translation>
    </message>
    <message>
        <source>%1: za dużo znaczników (ponad %2 MiB).</source>
        <translation>%1: too many markers (over %2 MiB).</translation>
    </message>
    <message>
        <source>Nic nie zmieniono: w pliku znaczników %1 nie można odczytać wierszy: %2.</source>
        <translation>Nothing was changed: unreadable lines in the marker file %1: %2.</translation>
    </message>
</context>
<context>
    <name>varnilog::MarkerKind</name>
    <message>
        <source>Uwaga</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Strata danych</source>
        <translation>Data loss</translation>
    </message>
    <message>
        <source>Wyzwolenie</source>
        <translation>Trigger event</translation>
    </message>
    <message>
        <source>Zakres</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>Przekroczenie</source>
        <translation>Limit exceeded</translation>
    </message>
    <message>
        <source>Dekoder</source>
        <translation>Decoder</translation>
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
        <translation>Select to next marker</translation>
    </message>
</context>
<context>
    <name>varnilog::MathWindow</name>
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
    <message>
        <source>(kanał lub funkcja)</source>
        <translation>(channel or function)</translation>
    </message>
    <message>
        <source>Wartości nieskończone lub nieokreślone: %1, zapisane jako 0 V.</source>
        <translation>Infinite or undefined values: %1, stored as 0 V.</translation>
    </message>
</context>
<context>
    <name>varnilog::MeasurementsWindow</name>
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
        <source>Podgląd (%1 próbek)</source>
        <translation>Preview (%1 samples)</translation>
    </message>
    <message>
        <source>min %1</source>
        <translation>min %1</translation>
    </message>
    <message>
        <source>maks %1</source>
        <translation>max %1</translation>
    </message>
    <message>
        <source>średnia %1</source>
        <translation>mean %1</translation>
    </message>
    <message>
        <source>σ %1</source>
        <translation>σ %1</translation>
    </message>
    <message>
        <source>n %1</source>
        <translation>n %1</translation>
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
    <name>varnilog::PersistenceTab</name>
    <message>
        <source>Wył.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Zanikająca</source>
        <translation>Fading</translation>
    </message>
    <message>
        <source>Nieskończona</source>
        <translation>Infinite</translation>
    </message>
    <message>
        <source>Zanikanie:</source>
        <translation>Decay:</translation>
    </message>
    <message>
        <source>Wyczyść</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Nałóż zdarzenia</source>
        <translation>Overlay events</translation>
    </message>
    <message>
        <source>Poświata</source>
        <translation>Persistence</translation>
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
    <message>
        <source>Znaczniki:</source>
        <translation>Markers:</translation>
    </message>
    <message>
        <source>… i %1 więcej</source>
        <translation>… and %1 more</translation>
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
    <name>varnilog::RecordingImport</name>
    <message>
        <source>Import z pliku „%1” (%2, kanały: %3, %4).</source>
        <translation>Imported from “%1” (%2, channels: %3, %4).</translation>
    </message>
    <message>
        <source> Podstawa czasu wymuszona: %1 (plik: %2).</source>
        <translation> Timebase forced: %1 (file: %2).</translation>
    </message>
    <message>
        <source> Obcięte próbki: %1.</source>
        <translation> Clipped samples: %1.</translation>
    </message>
    <message>
        <source> Plik zapisany ponownie z naszym komentarzem ICMT: próbki wzięte jako kody, czułości z komentarza.</source>
        <translation> File saved again with our ICMT comment: samples taken as codes, sensitivities from the comment.</translation>
    </message>
    <message>
        <source>%1 (podstawa czasu %2, %3)</source>
        <translation>%1 (time base %2, %3)</translation>
    </message>
    <message>
        <source> lub </source>
        <translation> or </translation>
    </message>
    <message>
        <source>%1: to nie jest zwykły plik</source>
        <translation>%1: not a regular file</translation>
    </message>
    <message>
        <source>%1: tego formatu nie można importować</source>
        <translation>%1: not a format the import reads</translation>
    </message>
    <message>
        <source>%1: częstotliwość próbkowania 0 Hz</source>
        <translation>%1: sample rate of 0 Hz</translation>
    </message>
    <message>
        <source>%1: częstotliwość próbkowania %2 nie pasuje do żadnej podstawy czasu (w granicach 0,1 %); najbliższe: %3</source>
        <translation>%1: the sample rate %2 matches no time base within 0.1 %; nearest: %3</translation>
    </message>
    <message>
        <source>%1: brak próbek</source>
        <translation>%1: no samples</translation>
    </message>
    <message>
        <source>%1: nagranie o tej nazwie już istnieje</source>
        <translation>%1: a recording of that name exists</translation>
    </message>
    <message>
        <source>przerwano</source>
        <translation>cancelled</translation>
    </message>
</context>
<context>
    <name>varnilog::RecordingLoader</name>
    <message>
        <source>Błąd otwarcia pliku!</source>
        <translation>Error opening the file!</translation>
    </message>
</context>
<context>
    <name>varnilog::RecordingManagement</name>
    <message>
        <source>Nie zmieniono nazwy: nie można przenieść %1 do %2 (%3).</source>
        <translation>Not renamed: cannot move %1 to %2 (%3).</translation>
    </message>
    <message>
        <source>Nieprawidłowa nazwa.</source>
        <translation>Invalid name.</translation>
    </message>
    <message>
        <source>Zapis %1 nie istnieje.</source>
        <translation>Recording %1 does not exist.</translation>
    </message>
    <message>
        <source>Nie zmieniono nazwy: plik %1 już istnieje.</source>
        <translation>Not renamed: the file %1 already exists.</translation>
    </message>
    <message>
        <source>%1 jest plikiem nagrania %2: wybierz inną nazwę.</source>
        <translation>%1 is a file of the recording %2: choose another name.</translation>
    </message>
</context>
<context>
    <name>varnilog::ReferenceTab</name>
    <message>
        <source>Zapamiętaj</source>
        <translation>Store</translation>
    </message>
    <message>
        <source>Pokaż</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Usuń</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Wzorzec</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>Kanał wzorca</source>
        <translation>Reference channel</translation>
    </message>
    <message>
        <source>Nazwa wzorca</source>
        <translation>Reference name</translation>
    </message>
    <message>
        <source>Nazwa:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Nazwa…</source>
        <translation>Name…</translation>
    </message>
    <message>
        <source>Porównaj…</source>
        <translation>Compare…</translation>
    </message>
    <message>
        <source>Porównaj z nagraniem…</source>
        <translation>Compare with a recording…</translation>
    </message>
    <message>
        <source>Nie ma takiego znacznika.</source>
        <translation>There is no such marker.</translation>
    </message>
    <message>
        <source>Porównaj z nagraniem</source>
        <translation>Compare with a recording</translation>
    </message>
    <message>
        <source>pierwsze próbki</source>
        <translation>first samples</translation>
    </message>
    <message>
        <source>znaczniki</source>
        <translation>markers</translation>
    </message>
    <message>
        <source>Wyrównanie:</source>
        <translation>Alignment:</translation>
    </message>
    <message>
        <source>Znacznik tego nagrania:</source>
        <translation>Marker of this recording:</translation>
    </message>
    <message>
        <source>Znacznik porównywanego:</source>
        <translation>Marker of the compared one:</translation>
    </message>
    <message>
        <source>Bez porównania</source>
        <translation>No comparison</translation>
    </message>
    <message>
        <source>Nagrania (*.ros)</source>
        <translation>Recordings (*.ros)</translation>
    </message>
    <message>
        <source>Kanał porównywanego:</source>
        <translation>Channel of the compared one:</translation>
    </message>
    <message>
        <source>Nad kanałem:</source>
        <translation>Over channel:</translation>
    </message>
</context>
<context>
    <name>varnilog::SavedSetup</name>
    <message>
        <source>Plik %1 nie zawiera ustawień</source>
        <translation>The file %1 holds no setup</translation>
    </message>
</context>
<context>
    <name>varnilog::SerialPorts</name>
    <message>
        <source>Brak uprawnień do portu %1 — dodaj użytkownika do grupy dialout i zaloguj się ponownie</source>
        <translation>No permission for port %1 — add your user to the dialout group and log in again</translation>
    </message>
    <message>
        <source>właściciel %1, grupa %2, %3</source>
        <translation>owner %1, group %2, %3</translation>
    </message>
    <message>
        <source>Brak uprawnień do portu %1 (%2) — dodaj użytkownika do grupy %3 i zaloguj się ponownie</source>
        <translation>No permission for port %1 (%2) — add your user to the %3 group and log in again</translation>
    </message>
    <message>
        <source>Brak uprawnień do portu %1 (%2) — jesteś już w grupie %3: zaloguj się ponownie</source>
        <translation>No permission for port %1 (%2) — you are already in the %3 group: log in again</translation>
    </message>
    <message>
        <source>Brak uprawnień do portu %1 (%2) — grupa nie pomoże: port może otworzyć tylko %3; zmień jego uprawnienia (reguła udev) lub poproś administratora</source>
        <translation>No permission for port %1 (%2) — no group helps: only %3 may open it; change its permissions (a udev rule) or ask the administrator</translation>
    </message>
</context>
<context>
    <name>varnilog::SetLock</name>
    <message>
        <source>Nagranie jest zmieniane przez inny program</source>
        <translation>The recording is being changed by another program</translation>
    </message>
</context>
<context>
    <name>varnilog::SpectrogramWindow</name>
    <message>
        <source>Spektrogram</source>
        <translation>Spectrogram</translation>
    </message>
    <message>
        <source>Kanał:</source>
        <translation>Channel:</translation>
    </message>
    <message>
        <source>Blok:</source>
        <translation>Block:</translation>
    </message>
    <message>
        <source>Przesunięcie:</source>
        <translation>Hop:</translation>
    </message>
    <message>
        <source>Zakres [dB]:</source>
        <translation>Range [dB]:</translation>
    </message>
    <message>
        <source>Oblicz</source>
        <translation>Compute</translation>
    </message>
    <message>
        <source>Zapisz PNG</source>
        <translation>Save PNG</translation>
    </message>
    <message>
        <source>Zapisz CSV</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>Nagranie jest krótsze niż blok.</source>
        <translation>The recording is shorter than a block.</translation>
    </message>
    <message>
        <source>Obliczanie spektrogramu</source>
        <translation>Computing the spectrogram</translation>
    </message>
    <message>
        <source>Pliki PNG (*.png)</source>
        <translation>PNG files (*.png)</translation>
    </message>
    <message>
        <source>Pliki CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
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
    <message>
        <source>Nie wybrano portu płytki i nie widać żadnego (ttyUSB, ttyACM): podłącz płytkę lub wpisz port w Ustawieniach</source>
        <translation>No board port was chosen and none can be seen (ttyUSB, ttyACM): connect the board or enter the port in Settings</translation>
    </message>
    <message>
        <source>Dodano znacznik %1</source>
        <translation>Marker added at %1</translation>
    </message>
    <message>
        <source>Nie dodano znacznika: zbyt wiele czeka na zapis</source>
        <translation>Marker not added: too many are waiting to be saved</translation>
    </message>
    <message>
        <source>Spektrogram</source>
        <translation>Spectrogram</translation>
    </message>
    <message>
        <source>Trend pomiaru…</source>
        <translation>Measurement trend…</translation>
    </message>
    <message>
        <source>Dodano znaczników: %1</source>
        <translation>Markers added: %1</translation>
    </message>
    <message>
        <source>Poświata</source>
        <translation>Persistence</translation>
    </message>
    <message>
        <source>XY</source>
        <translation>XY</translation>
    </message>
    <message>
        <source>Nakładanie zdarzeń…</source>
        <translation>Overlaying events…</translation>
    </message>
    <message>
        <source>Nałożone zdarzenia: %1</source>
        <translation>Events overlaid: %1</translation>
    </message>
    <message>
        <source>Wzorce</source>
        <translation>References</translation>
    </message>
    <message>
        <source>Nie można zapisać pliku: %1</source>
        <translation>Cannot save the file: %1</translation>
    </message>
    <message>
        <source>Ustawienia (*.ini)</source>
        <translation>Setups (*.ini)</translation>
    </message>
    <message>
        <source>Zapisz ustawienia…</source>
        <translation>Save setup…</translation>
    </message>
    <message>
        <source>Wczytaj ustawienia…</source>
        <translation>Load setup…</translation>
    </message>
    <message>
        <source>ustawienia.ini</source>
        <translation>setup.ini</translation>
    </message>
    <message>
        <source>Zapisano ustawienia: %1</source>
        <translation>Setup saved: %1</translation>
    </message>
    <message>
        <source>Wczytano ustawienia: %1</source>
        <translation>Setup loaded: %1</translation>
    </message>
    <message>
        <source>Czeka na zdarzenie</source>
        <translation>Waiting for an event</translation>
    </message>
    <message>
        <source>Przekroczenia granic: %1</source>
        <translation>Limits crossed: %1</translation>
    </message>
    <message>
        <source>podstawa %1 → %2</source>
        <translation>time base %1 → %2</translation>
    </message>
    <message>
        <source>%1 %2 → %3</source>
        <translation>%1 %2 → %3</translation>
    </message>
    <message>
        <source>%1 przesunięcie</source>
        <translation>%1 offset</translation>
    </message>
    <message>
        <source>Zmiana ustawień: %1</source>
        <translation>Settings changed: %1</translation>
    </message>
    <message>
        <source>Tylko podgląd: bez zapisu, ostatnie %1 s w pamięci</source>
        <translation>Look only: nothing written, the last %1 s kept in memory</translation>
    </message>
    <message>
        <source>Tylko podgląd</source>
        <translation>Look only</translation>
    </message>
    <message>
        <source>Zapisz ostatnie…</source>
        <translation>Save the last…</translation>
    </message>
    <message>
        <source>%1; podgląd od nowa</source>
        <translation>%1; preview afresh</translation>
    </message>
    <message>
        <source>%1; dalej: %2</source>
        <translation>%1; continued in: %2</translation>
    </message>
    <message>
        <source>Nagrania (*.ros)</source>
        <translation>Recordings (*.ros)</translation>
    </message>
    <message>
        <source>Zapisano ostatnie %1 próbek: %2</source>
        <translation>Saved the last %1 samples: %2</translation>
    </message>
    <message>
        <source>Dekodowanie…</source>
        <translation>Decoding…</translation>
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
    <name>varnilog::TForm4</name>
    <message>
        <source>Nie można zapisać ustawień w pliku %1.</source>
        <translation>Cannot save the settings to the file %1.</translation>
    </message>
</context>
<context>
    <name>varnilog::TForm5</name>
    <message>
        <source>Obliczanie widma FFT…</source>
        <translation>Computing FFT spectrum…</translation>
    </message>
    <message>
        <source>Blok:</source>
        <translation>Block:</translation>
    </message>
    <message>
        <source>Średnia:</source>
        <translation>Average:</translation>
    </message>
    <message>
        <source>Maksima</source>
        <translation>Max hold</translation>
    </message>
    <message>
        <source>Zapamiętaj widmo</source>
        <translation>Remember spectrum</translation>
    </message>
    <message>
        <source>Szczyt:</source>
        <translation>Peak:</translation>
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
    <name>varnilog::TextExport</name>
    <message>
        <source>zapis nie powiódł się</source>
        <translation>write failed</translation>
    </message>
    <message>
        <source>Błąd odczytu pliku próbek kanału %1: %2</source>
        <translation>Error reading the sample file of channel %1: %2</translation>
    </message>
</context>
<context>
    <name>varnilog::TrendWindow</name>
    <message>
        <source>Trend pomiaru</source>
        <translation>Measurement trend</translation>
    </message>
    <message>
        <source>Co N próbek</source>
        <translation>Every N samples</translation>
    </message>
    <message>
        <source>Co czas</source>
        <translation>Every time span</translation>
    </message>
    <message>
        <source>Na okres</source>
        <translation>Per period</translation>
    </message>
    <message>
        <source>Przedział:</source>
        <translation>Interval:</translation>
    </message>
    <message>
        <source>Granice:</source>
        <translation>Limits:</translation>
    </message>
    <message>
        <source>powyżej</source>
        <translation>above</translation>
    </message>
    <message>
        <source>poniżej</source>
        <translation>below</translation>
    </message>
    <message>
        <source>Oblicz</source>
        <translation>Compute</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Oznacz przekroczenia</source>
        <translation>Mark violations</translation>
    </message>
    <message>
        <source>Zapisz CSV…</source>
        <translation>Save CSV…</translation>
    </message>
    <message>
        <source>Zapisz PNG…</source>
        <translation>Save PNG…</translation>
    </message>
    <message>
        <source>Kanał %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>Ten pomiar nie ma wartości na okres</source>
        <translation>This measurement has no value per period</translation>
    </message>
    <message>
        <source>Brak próbek do obliczenia trendu</source>
        <translation>No samples to compute a trend of</translation>
    </message>
    <message>
        <source>Błąd odczytu pliku: %1</source>
        <translation>Error reading file: %1</translation>
    </message>
    <message>
        <source>Brak trendu: wybierz pomiar i naciśnij „Oblicz”</source>
        <translation>No trend: choose a measurement and press “Compute”</translation>
    </message>
    <message>
        <source>Punkty: %1 (z wartością %2)   min %3   maks %4   średnia %5   odch. std. %6   przekroczenia: %7</source>
        <translation>Points: %1 (with a value %2)   min %3   max %4   mean %5   std. dev. %6   violations: %7</translation>
    </message>
    <message>
        <source>Pliki CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Nie można zapisać pliku: %1</source>
        <translation>Cannot write file: %1</translation>
    </message>
    <message>
        <source>Obrazy PNG (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>Na żywo: klatek %1 (z wartością %2)   min %3   maks %4   średnia %5   odch. std. %6   przekroczenia: %7</source>
        <translation>Live: frames %1 (with a value %2)   min %3   max %4   mean %5   std. dev. %6   violations: %7</translation>
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
<context>
    <name>varnilog::WavFormat</name>
    <message>
        <source>brak kanałów do zapisu</source>
        <translation>no channels to write</translation>
    </message>
</context>
<context>
    <name>varnilog::XyWindow</name>
    <message>
        <source>XY</source>
        <translation>XY</translation>
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
        <source>Kursory</source>
        <translation>Cursors</translation>
    </message>
    <message>
        <source>Między znacznikami</source>
        <translation>Between markers</translation>
    </message>
    <message>
        <source>Całość</source>
        <translation>Whole recording</translation>
    </message>
    <message>
        <source>Zanikanie:</source>
        <translation>Decay:</translation>
    </message>
    <message>
        <source>Zapisz…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Anuluj</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Podgląd</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Przerwano liczenie</source>
        <translation>Counting stopped</translation>
    </message>
    <message>
        <source>Błąd odczytu pliku: %1</source>
        <translation>File read error: %1</translation>
    </message>
    <message>
        <source>Próbki %1–%2 (%3)</source>
        <translation>Samples %1–%2 (%3)</translation>
    </message>
    <message>
        <source>Obraz PNG (*.png);;Obraz SVG (*.svg);;Komórki CSV (*.csv)</source>
        <translation>PNG image (*.png);;SVG image (*.svg);;CSV cells (*.csv)</translation>
    </message>
    <message>
        <source>Nie można zapisać pliku: %1</source>
        <translation>Cannot save the file: %1</translation>
    </message>
</context>
<context>
    <name>varnilog::main</name>
    <message>
        <source>Symulator płytki: %1</source>
        <translation>Board simulator: %1</translation>
    </message>
</context>
</TS>
