// The main window TForm1 (unit Program): waveform view, acquisition controls, scale knobs, menus and
// status bar. Laid out in Program.ui; the handlers read the controls, call the core and show the
// result.
#pragma once

#include "analysis/EventFinder.h"
#include "analysis/LiveTrigger.h"
#include "analysis/SpanRequest.h"
#include "app/CommandLine.h"
#include "app/CoreMessages.h"
#include "app/LongWork.h"
#include "app/SharedState.h"
#include "recording/FileIdentity.h"
#include "recording/MarkerFile.h"
#include "view/CursorReadout.h"
#include "view/RecordingMarkers.h"
#include "view/ViewWindow.h"

#include <QColor>

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QLabel;
class QMenu;
class QPoint;
class QTimer;
class QToolButton;
class QFileSystemWatcher;
namespace Ui {
class TForm1;
}

namespace varnilog {

class AboutWindow;
class Acquisition;
class CursorTableWindow;
class LivePreview;
struct BoardSettings;
class LiveTriggerControl;
class TriggerTab;
class Clock;
class ManualWindow;
class MarkersWindow;
class SpectrogramWindow;
class MessageBoxes;
class SerialLink;
class StandardDialogs;
class TForm2;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class MeasurementsWindow;
class MathWindow;
class TrendWindow;
class DecodeWindow;
class AnnotationRowsWidget;
class PersistenceTab;
class ReferenceTab;
class XyWindow;
struct SavedSetup;

// Names the application "Varnilog KZx00" (program entry, before the windows are made). Window titles
// stay exactly their own texts: no platform adds the name to them.
void setUpApplicationTitle();

// The secondary windows, created by main() after the main window and kept for the whole run.
struct SecondaryWindows {
    TForm2* form2 = nullptr; // open-recording browser
    TForm4* form4 = nullptr; // settings
    TForm5* form5 = nullptr; // spectrum
    TForm6* form6 = nullptr; // description editor
    TForm7* form7 = nullptr; // offset calibration
    TForm8* form8 = nullptr; // rename
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kStatusPanels = 17;
    // The panel of the received bytes that were part of no frame while sampling.
    static constexpr int kSkippedBytesPanel = 15;

    // The serial link and the clock are the program entry's (tests give their own); the window only
    // uses them.
    TForm1(SharedState& state, MessageBoxes& boxes, SerialLink& link, Clock& clock,
           const QString& configurationPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // Wires the secondary windows to this one (rename window of the browser, configuration path of the
    // settings, file name of the description).
    void setSecondaryWindows(const SecondaryWindows& windows);
    // File and colour dialogs of the windows; null = the platform's own.
    void setDialogs(StandardDialogs* dialogs);
    void setProgramOptions(const ProgramOptions& options) { options_ = options; }

    // Start-up: configuration, background, axes, picture, device model, cursor marker colours.
    void FormCreate();
    // Shows bmpScreen in imgDisplay.
    void FormPaint();
    // Places the window in the middle of its screen (after FormCreate, so it wins over WINTOP/WINLEFT).
    void centreOnScreen();

    // Brings every model-dependent setting and control in line with state.deviceModel.
    void applyDeviceModel();

    // Rewrites the scale, model and port panels of the status bar from the shared state.
    void updateStatusBar();
    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString& text);
    // Widens a panel to its whole text (never below its own width).
    void fitStatusPanel(int panel);
    // Status messages of the acquisition go to the message panel.
    void showStatusMessage(const QString& text) { setStatusPanelText(16, text); }

    // A recording is being made (between a start that opened the port and its stop).
    bool recordingActive() const;

    // Makes state.recordingPath the recording on display (error box on failure).
    bool loadRecording();
    // Sets recordingPath and loads it.
    void openRecording(const QString& rosPath);

    // The button that selects a time-base index 1..22 / a sensitivity index 1..10.
    QAbstractButton* timeBaseButton(int index) const;
    QAbstractButton* sensitivityButton(int index) const;

    // The whole setup on show: board settings, visible channels, trigger, measurement span.
    SavedSetup currentSetup() const;
    // Puts a setup on the controls (the model's limits applied).
    void applySetup(const SavedSetup& setup);

    // The worker of the text export.
    LongWork& longWork() { return longWork_; }
    // The view's buffers: the bitmaps the picture is drawn in (bmpScreen is what imgDisplay shows).
    ViewBuffers& view() { return *view_; }
signals:
    // The recording on display was (re)loaded, renamed or deleted, a channel of it was computed or
    // removed, or sampling started or stopped.
    void recordingChanged();
    // The picture on the screen changed while not sampling (view, selection, cursors, scales).
    void screenChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();
    // The texts the code sets (menus, tab, panels, caption), again in the language now installed;
    // after retranslateUi, which puts the form's own texts back.
    void retranslate();
    // The model's caption with its words in the current language ("... na LPC2142").
    static QString modelCaption(const char* caption);
    void KZ100ATMega321Click();
    void KZ200ADuC8411Click();
    void KZ300LPC21421Click();
    void KZ400LPC21441Click();
    void Koniec1Click();
    void SpeedButton47Click();
    void chooseModel(std::uint8_t model);

    // Redraw operations.
    void paintBackground();
    void renderWaveform();
    void drawOverlays(bool showCursors);
    void drawTimeAxis();
    void drawVoltAxis();
    void refreshView();
    void refreshTimeBase();
    void refreshSensitivity();
    void refreshOffset(int channel, bool moveMark);
    void refreshModeSlider();
    void applyScrollBar(const ScrollRange& range, const ScrollBarSetup& bar);

    // Acquisition handlers (ProgramAcquisition.cpp).
    void connectAcquisitionHandlers();
    Acquisition& acquisition();
    void lockControls(bool locked);
    // Panel 15: the received bytes of the running recording that were part of no frame; -1 empties it.
    void showSkippedBytes(std::int64_t bytes);
    void btStartClick();
    void Timer1Timer();
    void btStopClick();

    // The view while sampling (ProgramLiveView.cpp).
    enum class LiveZoom { Out, In, One, All };
    void startLiveView();
    // The samples the last tick appended, into the live picture's memory.
    void feedLiveView(std::int64_t samples);
    // The rolling picture is on the screen (sampling, "Podgląd" on, no trigger).
    bool rollingPictureShown() const;
    void showLivePicture();
    void setLiveZoom(std::int32_t zoom, bool follow);
    void liveZoomClick(LiveZoom action);
    void liveScroll(int position);
    // The newest 500 samples of A or B, the preview's frame of the measurements and XY at any zoom.
    const std::uint8_t* livePreviewFrame(int channel) const;
    // The board while it runs (ProgramLive.cpp): settings changed while sampling, "Tylko podgląd".
    void connectLiveHandlers();
    void retranslateLiveTexts();
    // The settings that held still go to the board in a new stream (and recording).
    void continueWithNewSettings();
    // "Zmiana ustawień: …" naming what changed.
    static QString settingsChangeText(const BoardSettings& before, const BoardSettings& after);
    void Zapiszostatnie1Click();
    QToolButton* lookOnlyButton_ = nullptr; // "Tylko podgląd", beside Start
    QAction* saveRecentAction_ = nullptr;   // "Zapisz ostatnie…"

    // The "Wyzwalanie" tab (ProgramTrigger.cpp): the triggered live preview and the event search.
    void connectTriggerHandlers();
    // A frame of the live trigger on the picture, with the level's marks at the trigger's column.
    void showTriggerFrame(const LiveTrigger::Frame& frame, int column);
    // The picture of the live trigger again (after a change of its settings): its frame, or while no
    // event came in "Normalny" / "Pojedynczy", an empty picture saying "Czeka na zdarzenie".
    void redrawTriggerPicture();
    void showTriggerWaiting();
    // The level's line taken with the mouse on the live picture (true when p is on it), and moved.
    bool grabTriggerLevel(QPoint p);
    void dragTriggerLevel(QPoint p);
    void findEvent(bool forward);
    void drawTriggerOverlay(int column);

    // Recording and window handlers (ProgramFiles.cpp).
    void connectFileHandlers();
    void btOpenClick();
    void Odczyt1Click();
    void Zapiszdotxt1Click();
    void Eksport1Click();
    void Import1Click();
    void Opis1Click();
    void Kalibracja1Click();
    void SpeedButton80Click();
    void SpeedButton73Click();
    void recordingOnDisplayChanged();
    // Another program's change of the recording on display (math, a rename of its files) is seen
    // through the header, which every change replaces: the window loads the recording again.
    void watchRecordingOnDisplay();
    void recordingChangedOutside();
    // Shows a recording's base name in edFilename from its first character on.
    void showFileName(const QString& baseName);

    // View summaries of a long recording that has none (ProgramSummaries.cpp): built on a thread of
    // their own while the view reads the samples, taken when done; panel 16 shows the progress.
    void startSummaryBuild();
    void summaryBuildProgressed(std::int64_t done, std::int64_t total);
    void showSummaryProgress(const QString& text);
    void stopSummaryBuild();

    // Measurements window (ProgramMeasurements.cpp).
    void connectMeasurementHandlers();
    void SpeedButton72Click();
    // Tells the measurements window the span from the marker selected in "Znaczniki" to the next.
    void showMarkerSpan();
    // Trend window (ProgramTrend.cpp).
    void connectTrendHandlers();
    void showTrendWindow();
    // Decoding window and the annotation rows under the picture (ProgramDecode.cpp).
    void connectDecodeHandlers();
    void showDecodeWindow();
    // The rows of the decode window under the picture (none: the window as without decoding).
    void showAnnotationRows();
    // Printing, saving the page and the help menu (ProgramPrint.cpp).
    void connectPrintHandlers();
    void SpeedButton71Click();
    void Zapiszobraz1Click();
    void OProgramie1Click();
    void Instrukcja1Click();

    // Markers (ProgramMarkers.cpp).
    void connectMarkerHandlers();
    void btMarkClick();
    void saveLiveMarkers();
    // The markers of the recording on display into the view (a damaged file is said in the status bar).
    void loadMarkers();
    // The markers just read in the markers window, the measurements and the status bar.
    void showLoadedMarkers();
    // A change of the ".rmk" of the recording on display (change says why it failed): the error in a
    // box, or the result on show.
    bool markersChanged(const std::function<bool(CoreError&)>& change);
    void imgDisplayContextMenu(QPoint p);
    void addMarkerAtColumn(int column);
    void addRangeFromSelection();
    void jumpToMarker(bool forward);
    void showMarkerAt(QPoint p);
    void centreViewOn(std::int64_t sample);
    void connectMarkersWindow();
    // "Spektrogram" in the file menu (ProgramSpectrogram.cpp).
    void connectSpectrogramWindow();
    void showViewSpanOnSpectrogram();

    // XY window, persistence and the overlay of every event (ProgramXy.cpp).
    void connectXyHandlers();
    void showXyWindow();
    void overlayEventsClick();

    // Channel math (ProgramMath.cpp).
    void connectOperationHandlers();
    void SpeedButton75Click();
    // chkC/chkD and the channel buttons C and D enabled exactly for the channels with data.
    void refreshDerivedChannels();

    // View handlers (ProgramView.cpp).
    void connectViewHandlers();
    void ScrollBar1Change(int position);
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void channelBoxClick(int channel, bool checked);
    void Image1MouseMove(QPoint p);
    void setSensitivity(int index);
    void SpeedButton16Click(QAbstractButton* button);
    void Image5MouseMove(QPoint p);
    void timeBaseButtonClick(int index);
    void Image11MouseMove(QPoint p);
    void stepSensitivity(int steps);
    void stepTimeBase(int steps);
    void stepOffset(int steps);
    void SpeedButton57Click();
    void SpeedButton56Click();
    void SpeedButton58Click();
    void SpeedButton45Click(int mode);
    void Image7MouseMove(QPoint p);
    void selectChannel(int channel);
    void Image3MouseMove(QPoint p);
    void placeCursor(int n, int x);
    // The time cursors' columns and marks from their samples (off the picture when off the view).
    void placeCursorsInView();
    // "Pokaż w widoku": the view that holds both cursors, at the zoom they fit in.
    void bringCursorsIntoView();
    // A voltage cursor at the picture's row of a mouse on the volt axis.
    void placeLevelCursor(QPoint p, Qt::MouseButtons buttons);
    void Label1MouseDown(int x, Qt::MouseButtons buttons);
    void Label1MouseMove(int x, Qt::MouseButtons buttons);
    void CheckBox1Click(bool checked);
    void comboBoxChange(int cursor, int index);
    void setShapeColour(QLabel* shape, std::uint8_t channel);
    void SpeedButton74Click();
    void imgDisplayMouseDown(QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons);
    void imgDisplayMouseMove(QPoint p, Qt::MouseButtons buttons);

    // Saved setups (ProgramSetup.cpp).
    void connectSetupHandlers();
    void retranslateSetupTexts();
    // The last session's setup from the configuration file, and this one's into it.
    void restoreLastSetup();
    void keepLastSetup();
    void Zapiszustawienia1Click();
    void Wczytajustawienia1Click();

    void setUpPanelPictures();
    void setUpStatusBar();
    void connectHandlers();

    SharedState& state_;
    // The view's own buffers (smallest sample per column, read staging, label masks), made once.
    std::unique_ptr<ViewBuffers> view_ = std::make_unique<ViewBuffers>();
    MessageBoxes& boxes_;
    QString configurationPath_;
    SecondaryWindows windows_;
    StandardDialogs* dialogs_ = nullptr;
    SerialLink& link_;
    Clock& clock_;
    std::unique_ptr<Acquisition> acquisition_;
    QMenu* markerMenu_ = nullptr;            // "Dodaj znacznik", "Dodaj zakres" on the picture
    QAction* trendAction_ = nullptr;         // "Trend pomiaru…" in the file menu
    QAction* markersAction_ = nullptr;       // "Znaczniki" in the file menu
    int markerMenuColumn_ = 0;               // the column it was opened at
    MarkersWindow* markersWindow_ = nullptr; // "Znaczniki", made with the window

    // "Spektrogram" in the file menu and its window, made on first use.
    QAction* spectrogramAction_ = nullptr;
    SpectrogramWindow* spectrogramWindow_ = nullptr;
    // The markers of the recording on display, in the view's list its flags are drawn from.
    std::unique_ptr<RecordingMarkers> markers_ = std::make_unique<RecordingMarkers>(view_->markers);
    std::unique_ptr<StandardDialogs> ownDialogs_;
    ProgramOptions options_;
    std::unique_ptr<Ui::TForm1> ui_;
    std::array<QLabel*, kStatusPanels> statusPanels_{};
    QTimer* timer1_ = nullptr;
    // The count in panel 15 while sampling; -1 when the panel is empty.
    std::int64_t shownSkippedBytes_ = -1;
    QImage timeAxis_;                  // imgOsX, 520 x 16
    QImage voltAxis_;                  // imgOsY, 38 x 263
    std::array<QImage, 5> imageList1_; // slider pictures of the channel and coupling selectors
    ScrollRange scrollRange_;          // what ScrollBar1 stands for, in samples
    ScrollBarSetup scrollBar_;
    MeasurementsWindow* measurementsWindow_ = nullptr; // child of this window, made on first use
    MathWindow* mathWindow_ = nullptr;                 // likewise
    TrendWindow* trendWindow_ = nullptr;               // likewise
    DecodeWindow* decodeWindow_ = nullptr;             // likewise
    AnnotationRowsWidget* annotationRows_ = nullptr;   // under Panel1, shown with annotations only
    XyWindow* xyWindow_ = nullptr;                     // likewise
    QAction* xyAction_ = nullptr;                      // "XY" in the file menu
    PersistenceTab* persistenceTab_ = nullptr;         // "Poświata"
    ReferenceTab* referenceTab_ = nullptr;             // "Wzorce"
    SpanChoice measurementSpan_ = SpanChoice::View;    // for the measurements window not made yet
    QAction* saveSetupAction_ = nullptr;               // "Zapisz ustawienia…"
    QAction* loadSetupAction_ = nullptr;               // "Wczytaj ustawienia…"
    AboutWindow* about_ = nullptr;                     // made on first use
    ManualWindow* manual_ = nullptr;                   // made on first use
    TriggerTab* triggerTab_ = nullptr;
    std::unique_ptr<LiveTriggerControl> liveTrigger_; // the tab's settings and state while sampling
    bool draggingLevel_ = false;                      // the left button holds the level's line
    bool triggerFrameShown_ = false;                  // the trigger showed a frame in this recording
    int triggerColumn_ = -1;                          // the trigger's column in it, -1 when rolled
    // The recording's sample in the first column of the last live picture: Stop shows it again.
    std::optional<std::int64_t> shownFrameStart_;
    std::int32_t shownFrameZoom_ = 1;          // and its samples per column
    CursorPlaces cursorPlaces_;                // where the cursors stand in the recording
    CursorTableWindow* cursorTable_ = nullptr; // "Kursory", their readouts
    // The live picture's memory of this recording, made once with the window.
    std::unique_ptr<LivePreview> livePreview_;
    std::int32_t liveZoom_ = 1;                 // samples per column of the rolling picture
    std::optional<std::int64_t> liveHeldStart_; // where the scroll bar holds it; none: the newest
    // "Następne" / "Poprzednie" in the recording on display, its search kept between steps.
    std::unique_ptr<EventFinder> eventFinder_ = std::make_unique<EventFinder>();
    QFileSystemWatcher* setWatcher_ = nullptr; // the ".ros" of the recording on display
    QTimer* setChangeTimer_ = nullptr;         // gathers the several signals of one change
    FileIdentity shownHeader_;                 // the ".ros" the recording on display was read from
    LongWork summaryWork_;     // builds the view summaries of a long recording opened without them
    QString shownSummaryText_; // its progress as panel 16 shows it
    LongWork longWork_;        // last: a job still running ends before the rest goes
};

} // namespace varnilog
