#include "app/CoreMessages.h"

#include "recording/InterchangeExport.h"
#include "recording/RecordingImport.h"
#include "view/ScaleTables.h"

#include <QCoreApplication>
#include <QStringList>

namespace varnilog {

namespace {

// "500 Hz (time base 9, 2ms) or 1 kHz (time base 10, 1ms)": the time bases nearest to a rate.
QString nearestTimeBasesText(const CoreError& e) {
    QStringList names;
    for (const std::int64_t i : {e.first, e.second})
        if (i > 0 && i <= kTimeBaseCount) {
            const int index = static_cast<int>(i);
            names << QCoreApplication::translate("varnilog::RecordingImport", "%1 (podstawa czasu %2, %3)")
                         .arg(sampleRateText(static_cast<double>(sampleRateHz(samplingPeriodTable[index]))))
                         .arg(index)
                         .arg(timeBaseCaption(index));
        }
    return names.join(QCoreApplication::translate("varnilog::RecordingImport", " lub "));
}

// A formula's fault: %1 the name, %2 the position, %3 the range.
QString formula(const char* text, const CoreError& e) {
    QString t = QCoreApplication::translate("varnilog::Formula", text);
    if (t.contains(u"%1"))
        t = t.arg(e.other);
    t = t.arg(e.first);
    return t.contains(u"%3") ? t.arg(e.reason) : t;
}

QString text(const CoreError& e) {
    switch (e.kind) {
    case CoreErrorKind::None:
        return {};
    case CoreErrorKind::Reason:
        return e.reason;
    case CoreErrorKind::PathReason:
        return QStringLiteral("%1: %2").arg(e.path, e.reason);
    case CoreErrorKind::SetBusy:
        return QCoreApplication::translate("varnilog::SetLock", "Nagranie jest zmieniane przez inny program");
    case CoreErrorKind::LoadFailed:
        return QCoreApplication::translate("varnilog::RecordingLoader", "Błąd otwarcia pliku!");
    case CoreErrorKind::MarkerInvalid:
        return QCoreApplication::translate("varnilog::MarkerFile", "%1: znacznik %2–%3 jest błędny.")
            .arg(e.path)
            .arg(e.first)
            .arg(e.second);
    case CoreErrorKind::MarkersTooLarge:
        return QCoreApplication::translate("varnilog::MarkerFile", "%1: za dużo znaczników (ponad %2 MiB).")
            .arg(e.path)
            .arg(e.first);
    case CoreErrorKind::MarkersUnreadable:
        return QCoreApplication::translate("varnilog::MarkerFile",
                                           "Nic nie zmieniono: w pliku znaczników %1 nie można odczytać "
                                           "wierszy: %2.")
            .arg(e.path)
            .arg(e.first);
    case CoreErrorKind::WriteFailed:
        return e.reason.isEmpty()
                   ? QCoreApplication::translate("varnilog::TextExport", "zapis nie powiódł się")
                   : e.reason;
    case CoreErrorKind::SampleReadFailed:
        return QCoreApplication::translate("varnilog::TextExport", "Błąd odczytu pliku próbek kanału %1: %2")
            .arg(e.other, e.reason);
    case CoreErrorKind::NoChannels:
        return QCoreApplication::translate("varnilog::WavFormat", "brak kanałów do zapisu");
    case CoreErrorKind::MoveFailed:
        return QCoreApplication::translate("varnilog::RecordingManagement",
                                           "Nie zmieniono nazwy: nie można przenieść %1 do %2 (%3).")
            .arg(e.path, e.other, e.reason);
    case CoreErrorKind::InvalidName:
        return QCoreApplication::translate("varnilog::RecordingManagement", "Nieprawidłowa nazwa.");
    case CoreErrorKind::RecordingMissing:
        return QCoreApplication::translate("varnilog::RecordingManagement", "Zapis %1 nie istnieje.")
            .arg(e.path);
    case CoreErrorKind::FileExists:
        return QCoreApplication::translate("varnilog::RecordingManagement",
                                           "Nie zmieniono nazwy: plik %1 już istnieje.")
            .arg(e.path);
    case CoreErrorKind::OutputIsRecording:
        return QCoreApplication::translate("varnilog::RecordingManagement",
                                           "%1 jest plikiem nagrania %2: wybierz inną nazwę.")
            .arg(e.path, e.other);
    case CoreErrorKind::CannotOpenFile:
        return QCoreApplication::translate("varnilog::EventSearch", "Nie można otworzyć pliku %1")
            .arg(e.path);
    case CoreErrorKind::NotRegularFile:
        return QCoreApplication::translate("varnilog::RecordingImport", "%1: to nie jest zwykły plik")
            .arg(e.path);
    case CoreErrorKind::NotImportable:
        return QCoreApplication::translate("varnilog::RecordingImport",
                                           "%1: tego formatu nie można importować")
            .arg(e.path);
    case CoreErrorKind::NoSampleRate:
        return QCoreApplication::translate("varnilog::RecordingImport", "%1: częstotliwość próbkowania 0 Hz")
            .arg(e.path);
    case CoreErrorKind::NoTimeBase:
        return QCoreApplication::translate("varnilog::RecordingImport",
                                           "%1: częstotliwość próbkowania %2 nie pasuje do żadnej podstawy "
                                           "czasu (w granicach 0,1 %); najbliższe: %3")
            .arg(e.path, e.other, nearestTimeBasesText(e));
    case CoreErrorKind::NoSamples:
        return QCoreApplication::translate("varnilog::RecordingImport", "%1: brak próbek").arg(e.path);
    case CoreErrorKind::RecordingExists:
        return QCoreApplication::translate("varnilog::RecordingImport",
                                           "%1: nagranie o tej nazwie już istnieje")
            .arg(e.path);
    case CoreErrorKind::Cancelled:
        return QCoreApplication::translate("varnilog::RecordingImport", "przerwano");
    case CoreErrorKind::FormulaUnknownName:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "nieznana nazwa '%1' w znaku %2"), e);
    case CoreErrorKind::FormulaUnknownFunction:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "nieznana funkcja '%1' w znaku %2"), e);
    case CoreErrorKind::FormulaArguments:
        return formula(
            QT_TRANSLATE_NOOP("varnilog::Formula", "zła liczba argumentów funkcji '%1' w znaku %2"), e);
    case CoreErrorKind::FormulaNotChannel:
        return formula(
            QT_TRANSLATE_NOOP("varnilog::Formula", "pierwszy argument '%1' musi być kanałem w znaku %2"), e);
    case CoreErrorKind::FormulaNotConstant:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "argument '%1' musi być stałą w znaku %2"), e);
    case CoreErrorKind::FormulaTargetChannel:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "kanał %1 jest celem działania w znaku %2"), e);
    case CoreErrorKind::FormulaNoSamples:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "kanał %1 nie ma próbek w znaku %2"), e);
    case CoreErrorKind::FormulaRange:
        return formula(
            QT_TRANSLATE_NOOP("varnilog::Formula", "stała funkcji '%1' poza zakresem %3 w znaku %2"), e);
    case CoreErrorKind::FormulaUnexpected:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "nieoczekiwane '%1' w znaku %2"), e);
    case CoreErrorKind::FormulaEnd:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "wyrażenie urywa się w znaku %2"), e);
    case CoreErrorKind::FormulaParenthesis:
        return formula(QT_TRANSLATE_NOOP("varnilog::Formula", "brak nawiasu ')' w znaku %2"), e);
    case CoreErrorKind::NoSetup:
        return QCoreApplication::translate("varnilog::SavedSetup", "Plik %1 nie zawiera ustawień")
            .arg(e.path);
    case CoreErrorKind::DecodeResultsDamaged:
        return QCoreApplication::translate("varnilog::DecodeResults",
                                           "%1: plik wyników dekodowania jest uszkodzony (bajt %2)")
            .arg(e.path)
            .arg(e.first);
    case CoreErrorKind::DecodeResultsTooLarge:
        return QCoreApplication::translate("varnilog::DecodeResults",
                                           "%1: za duży plik wyników dekodowania (ponad %2 MiB)")
            .arg(e.path)
            .arg(e.first);
    case CoreErrorKind::DecodeSamplesChanged:
        return QCoreApplication::translate("varnilog::DecodeResults",
                                           "%1: próbki zmieniły się od dekodowania, nic nie zapisano")
            .arg(e.path);
    }
    return {};
}

// The advice for a port the user may not open: the fix, and the device's owner, group and mode when
// they are known.
QString accessText(const QString& port, const std::optional<PortAccess>& access) {
    if (!access)
        return QCoreApplication::translate(
                   "varnilog::SerialPorts",
                   "Brak uprawnień do portu %1 — dodaj użytkownika do grupy dialout i zaloguj się ponownie")
            .arg(port);
    const QString device = QCoreApplication::translate("varnilog::SerialPorts", "właściciel %1, grupa %2, %3")
                               .arg(access->owner, access->group, access->mode);
    switch (portAccessFix(*access)) {
    case PortAccessFix::JoinGroup:
        return QCoreApplication::translate(
                   "varnilog::SerialPorts",
                   "Brak uprawnień do portu %1 (%2) — dodaj użytkownika do grupy %3 i zaloguj się ponownie")
            .arg(port, device, access->group);
    case PortAccessFix::LogInAgain:
        return QCoreApplication::translate(
                   "varnilog::SerialPorts",
                   "Brak uprawnień do portu %1 (%2) — jesteś już w grupie %3: zaloguj się ponownie")
            .arg(port, device, access->group);
    case PortAccessFix::AskForAccess:
        break;
    }
    return QCoreApplication::translate(
               "varnilog::SerialPorts",
               "Brak uprawnień do portu %1 (%2) — grupa nie pomoże: port może otworzyć "
               "tylko %3; zmień jego uprawnienia (reguła udev) lub poproś administratora")
        .arg(port, device, access->owner);
}

} // namespace

QString coreMessage(const AcquisitionNotice& n) {
    using K = AcquisitionNoticeKind;
    switch (n.kind) {
    case K::None:
        return {};
    case K::SpeedRefused:
        return QCoreApplication::translate("varnilog::Acquisition", "Port nie obsługuje prędkości 921600 !");
    case K::AccessDenied:
        return accessText(n.port, n.access);
    case K::PortNotOpened:
        return n.reason.isEmpty()
                   ? QCoreApplication::translate("varnilog::Acquisition", "Nie można otworzyć portu !")
                   : QCoreApplication::translate("varnilog::Acquisition", "Nie można otworzyć portu ! %1: %2")
                         .arg(n.port, n.reason);
    case K::PortOpened:
        return QCoreApplication::translate("varnilog::Acquisition", "Otwarcie portu powiodło się ...");
    case K::Sampling:
        return QCoreApplication::translate("varnilog::Acquisition", "Start Probkowania ...");
    case K::CommunicationFailed:
        return QCoreApplication::translate("varnilog::Acquisition", "Problem z komunikacją !!!");
    case K::Retrying:
        return QCoreApplication::translate("varnilog::Acquisition", "Ponowna próba połączenia nr %1...")
            .arg(n.number);
    case K::FilesNotCreated:
        return QCoreApplication::translate("varnilog::Acquisition", "Nie można utworzyć pliku !");
    case K::FilesRemoved:
        return QCoreApplication::translate("varnilog::Acquisition", "Pliki nagrania zostały usunięte !");
    case K::WriteFailed:
        return QCoreApplication::translate("varnilog::Acquisition", "Błąd zapisu pliku !");
    case K::PortLost:
        return QCoreApplication::translate("varnilog::Acquisition", "Utracono połączenie z portem !");
    case K::NoFrames:
        return QCoreApplication::translate("varnilog::Acquisition", "Brak ramek w odbieranych danych !");
    case K::Stopped:
        return QCoreApplication::translate("varnilog::Acquisition", "Stop");
    case K::PortNotClosed:
        return QCoreApplication::translate("varnilog::Acquisition", "Nie mogę zamknąć portu!");
    case K::StoppedFilesRemoved:
        return QCoreApplication::translate(
            "varnilog::Acquisition",
            "Pliki nagrania zostały usunięte z folderu danych!\n Nagrywanie zostało zatrzymane.");
    case K::StoppedOverflow:
        return QCoreApplication::translate(
            "varnilog::Acquisition",
            "Przepelniony bufor!\n Zmniejsz prędkość próbkowania lub wyłącz podgląd");
    case K::StoppedWriteFailed:
        // The system's reason (disk full, file too large) tells the user what to do about it.
        return QCoreApplication::translate(
                   "varnilog::Acquisition",
                   "Nie można zapisać próbek do pliku!\n Nagrywanie zostało zatrzymane.\n\n%1")
            .arg(n.reason);
    case K::StoppedPortLost:
        return QCoreApplication::translate("varnilog::Acquisition",
                                           "Utracono połączenie z portem!\n Nagrywanie zostało zatrzymane.");
    }
    return {};
}

QString coreMessage(const CoreError& error) {
    return error.failed() ? error.within + text(error) : QString();
}

} // namespace varnilog
