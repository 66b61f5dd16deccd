<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="pl_PL">
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
    <name>varnilog::Acquisition</name>
    <message>
        <source>Port nie obsługuje prędkości 921600 !</source>
        <translation>The port does not support 921600 baud!</translation>
    </message>
    <message>
        <source>Brak uprawnień do portu %1 — dodaj użytkownika do grupy dialout i zaloguj się ponownie</source>
        <translation>No permission for port %1 — add your user to the dialout group and log in again</translation>
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
    <name>varnilog::EventSearch</name>
    <message>
        <source>Nie można otworzyć pliku %1</source>
        <translation>Cannot open the file %1</translation>
    </message>
</context>
<context>
    <name>varnilog::InterchangeExport</name>
    <message>
        <source>zapis nie powiódł się</source>
        <translation>write failed</translation>
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
</context>
<context>
    <name>varnilog::SetLock</name>
    <message>
        <source>Nagranie jest zmieniane przez inny program</source>
        <translation>The recording is being changed by another program</translation>
    </message>
</context>
<context>
    <name>varnilog::SigrokSession</name>
    <message>
        <source>brak kanałów do zapisu</source>
        <translation>no channels to write</translation>
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
    <name>varnilog::WavFormat</name>
    <message>
        <source>brak kanałów do zapisu</source>
        <translation>no channels to write</translation>
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
