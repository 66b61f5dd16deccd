#include "app/CoreMessages.h"

#include <QCoreApplication>

namespace varnilog {

namespace {

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
    case CoreErrorKind::NoSetup:
        return QCoreApplication::translate("varnilog::SavedSetup", "Plik %1 nie zawiera ustawień")
            .arg(e.path);
    }
    return {};
}

} // namespace

QString coreMessage(const CoreError& error) {
    return error.failed() ? error.within + text(error) : QString();
}

} // namespace varnilog
