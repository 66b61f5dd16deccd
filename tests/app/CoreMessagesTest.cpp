#include "app/CoreMessages.h"
#include "app/Language.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace varnilog {
namespace {

CoreError error(CoreErrorKind kind, QString path = {}, QString other = {}, QString reason = {},
                std::int64_t first = 0, std::int64_t second = 0) {
    return {kind, std::move(path), std::move(other), std::move(reason), first, second, {}};
}

// The translators belong to an application; each test may run alone.
void ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
}

// Every kind in both languages: the window and the command line show exactly these.
TEST(CoreMessagesTest, EveryKindIsWordedInBothLanguages) {
    ensureApplication();
    using K = CoreErrorKind;
    const struct {
        CoreError error;
        const char* polish;
        const char* english;
    } rows[] = {
        {error(K::None), "", ""},
        {error(K::Reason, {}, {}, "disk full"), "disk full", "disk full"},
        {error(K::PathReason, "a.rmk", {}, "disk full"), "a.rmk: disk full", "a.rmk: disk full"},
        {error(K::SetBusy), "Nagranie jest zmieniane przez inny program",
         "The recording is being changed by another program"},
        {error(K::LoadFailed), "Błąd otwarcia pliku!", "Error opening the file!"},
        {error(K::MarkerInvalid, "a.rmk", {}, {}, 5, 4), "a.rmk: znacznik 5–4 jest błędny.",
         "a.rmk: the marker 5–4 is invalid."},
        {error(K::MarkersTooLarge, "a.rmk", {}, {}, 16), "a.rmk: za dużo znaczników (ponad 16 MiB).",
         "a.rmk: too many markers (over 16 MiB)."},
        {error(K::MarkersUnreadable, "a.rmk", {}, {}, 3),
         "Nic nie zmieniono: w pliku znaczników a.rmk nie można odczytać wierszy: 3.",
         "Nothing was changed: unreadable lines in the marker file a.rmk: 3."},
        {error(K::WriteFailed), "zapis nie powiódł się", "write failed"},
        {error(K::WriteFailed, {}, {}, "disk full"), "disk full", "disk full"},
        {error(K::SampleReadFailed, {}, "B", "I/O error"), "Błąd odczytu pliku próbek kanału B: I/O error",
         "Error reading the sample file of channel B: I/O error"},
        {error(K::NoChannels), "brak kanałów do zapisu", "no channels to write"},
        {error(K::MoveFailed, "a.rca", "b.rca", "busy"),
         "Nie zmieniono nazwy: nie można przenieść a.rca do b.rca (busy).",
         "Not renamed: cannot move a.rca to b.rca (busy)."},
        {error(K::InvalidName), "Nieprawidłowa nazwa.", "Invalid name."},
        {error(K::RecordingMissing, "a.ros"), "Zapis a.ros nie istnieje.", "Recording a.ros does not exist."},
        {error(K::FileExists, "b.rca"), "Nie zmieniono nazwy: plik b.rca już istnieje.",
         "Not renamed: the file b.rca already exists."},
        {error(K::OutputIsRecording, "a.rca", "a.ros"),
         "a.rca jest plikiem nagrania a.ros: wybierz inną nazwę.",
         "a.rca is a file of the recording a.ros: choose another name."},
        {error(K::CannotOpenFile, "a.rca"), "Nie można otworzyć pliku a.rca", "Cannot open the file a.rca"},
        {error(K::NotRegularFile, "f.sr"), "f.sr: to nie jest zwykły plik", "f.sr: not a regular file"},
        {error(K::NoTimeBase, "a.csv", "833.3333 Hz", {}, 9, 10),
         "a.csv: częstotliwość próbkowania 833.3333 Hz nie pasuje do żadnej podstawy czasu (w granicach "
         "0,1 %); najbliższe: 500 Hz (podstawa czasu 9, 2ms) lub 1 kHz (podstawa czasu 10, 1ms)",
         "a.csv: the sample rate 833.3333 Hz matches no time base within 0.1 %; nearest: 500 Hz (time base "
         "9, 2ms) or 1 kHz (time base 10, 1ms)"},
        {error(K::RecordingExists, "a.ros"), "a.ros: nagranie o tej nazwie już istnieje",
         "a.ros: a recording of that name exists"},
        {error(K::Cancelled), "przerwano", "cancelled"},
        {error(K::FormulaUnknownName, {}, "E", {}, 7), "nieznana nazwa 'E' w znaku 7",
         "unknown name 'E' at 7"},
        {error(K::FormulaRange, {}, "avg", "2..10000", 8),
         "stała funkcji 'avg' poza zakresem 2..10000 w znaku 8",
         "the constant of 'avg' is out of range 2..10000 at 8"},
        {error(K::FormulaEnd, {}, {}, {}, 3), "wyrażenie urywa się w znaku 3", "unexpected end at 3"},
        {error(K::NoSetup, "a.ini"), "Plik a.ini nie zawiera ustawień", "The file a.ini holds no setup"},
        {error(K::DecodeResultsDamaged, "a.rdk", {}, {}, 9),
         "a.rdk: plik wyników dekodowania jest uszkodzony (bajt 9)",
         "a.rdk: the decoding results file is damaged (byte 9)"},
        {error(K::DecodeResultsTooLarge, "a.rdk", {}, {}, 1024),
         "a.rdk: za duży plik wyników dekodowania (ponad 1024 MiB)",
         "a.rdk: the decoding results file is too large (over 1024 MiB)"},
        {error(K::DecodeSamplesChanged, "a.rca"),
         "a.rca: próbki zmieniły się od dekodowania, nic nie zapisano",
         "a.rca: the samples changed since they were decoded; nothing was saved"},
        {CoreError(error(K::WriteFailed)).at("in.wav").at("out"), "out: in.wav: zapis nie powiódł się",
         "out: in.wav: write failed"},
    };
    for (const Language language : {Language::Polish, Language::English}) {
        ASSERT_TRUE(useLanguage(*QCoreApplication::instance(), language));
        for (const auto& r : rows)
            EXPECT_EQ(coreMessage(r.error).toStdString(), language == Language::Polish ? r.polish : r.english)
                << static_cast<int>(r.error.kind);
    }
    useLanguage(*QCoreApplication::instance(), Language::Polish);
}

// A recording's notices, in both languages, with the advice for a port the user may not open chosen
// by what its permissions say.
TEST(CoreMessagesTest, EveryNoticeOfARecordingIsWordedInBothLanguages) {
    ensureApplication();
    using K = AcquisitionNoticeKind;
    const auto notice = [](K kind, QString port = {}, QString reason = {}, int number = 0,
                           std::optional<PortAccess> access = std::nullopt) {
        return AcquisitionNotice{kind, std::move(port), std::move(reason), number, std::move(access)};
    };
    const auto access = [](bool groupMayUse, bool session, bool account) {
        return PortAccess{"root", "dialout", "crw-rw----", groupMayUse, session, account};
    };
    const struct {
        AcquisitionNotice notice;
        const char* polish;
        const char* english;
    } rows[] = {
        {notice(K::None), "", ""},
        {notice(K::PortNotOpened), "Nie można otworzyć portu !", "Cannot open the port!"},
        {notice(K::PortNotOpened, "ttyUSB0", "busy"), "Nie można otworzyć portu ! ttyUSB0: busy",
         "Cannot open the port! ttyUSB0: busy"},
        {notice(K::Retrying, {}, {}, 2), "Ponowna próba połączenia nr 2...", "Connection retry 2..."},
        {notice(K::AccessDenied, "ttyUSB0"),
         "Brak uprawnień do portu ttyUSB0 — dodaj użytkownika do grupy dialout i zaloguj się ponownie",
         "No permission for port ttyUSB0 — add your user to the dialout group and log in again"},
        {notice(K::AccessDenied, "ttyUSB0", {}, 0, access(true, false, false)),
         "Brak uprawnień do portu ttyUSB0 (właściciel root, grupa dialout, crw-rw----) — dodaj użytkownika "
         "do grupy dialout i zaloguj się ponownie",
         "No permission for port ttyUSB0 (owner root, group dialout, crw-rw----) — add your user to the "
         "dialout group and log in again"},
        {notice(K::AccessDenied, "ttyUSB0", {}, 0, access(true, false, true)),
         "Brak uprawnień do portu ttyUSB0 (właściciel root, grupa dialout, crw-rw----) — jesteś już w "
         "grupie dialout: zaloguj się ponownie",
         "No permission for port ttyUSB0 (owner root, group dialout, crw-rw----) — you are already in the "
         "dialout group: log in again"},
        {notice(K::AccessDenied, "ttyUSB0", {}, 0, access(false, false, false)),
         "Brak uprawnień do portu ttyUSB0 (właściciel root, grupa dialout, crw-rw----) — grupa nie pomoże: "
         "port może otworzyć tylko root; zmień jego uprawnienia (reguła udev) lub poproś administratora",
         "No permission for port ttyUSB0 (owner root, group dialout, crw-rw----) — no group helps: only "
         "root may open it; change its permissions (a udev rule) or ask the administrator"},
        {notice(K::StoppedWriteFailed, {}, "a.rca: disk full"),
         "Nie można zapisać próbek do pliku!\n Nagrywanie zostało zatrzymane.\n\na.rca: disk full",
         "Cannot write the samples to the file!\n Recording has stopped.\n\na.rca: disk full"},
    };
    for (const Language language : {Language::Polish, Language::English}) {
        ASSERT_TRUE(useLanguage(*QCoreApplication::instance(), language));
        for (const auto& r : rows)
            EXPECT_EQ(coreMessage(r.notice).toStdString(),
                      language == Language::Polish ? r.polish : r.english)
                << static_cast<int>(r.notice.kind);
        // Every kind has a text.
        for (int k = 1; k <= static_cast<int>(K::StoppedPortLost); ++k)
            EXPECT_FALSE(coreMessage(notice(static_cast<K>(k))).isEmpty()) << k;
    }
    useLanguage(*QCoreApplication::instance(), Language::Polish);
}

} // namespace
} // namespace varnilog
