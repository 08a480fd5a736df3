#include "shell/AboutBox.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "common/UserInterface.h"
#include "midi/MidiWriter.h"
#include "playback/MidiToolkit.h"
#include "playback/PlaybackEngine.h"
#include "shell/CreditsView.h"
#include "shell/DialogButtons.h"
#include "shell/ShellServices.h"
#include "shell/ToolIcons.h"

#ifndef SONKORA_VERSION
#define SONKORA_VERSION "unknown"
#endif

namespace sonkora {

namespace {

constexpr int Eighth = AboutTuneDivision / 2;
constexpr int TuneBars = 9;  // eight bars and the last chord
constexpr int32_t TuneTicks = TuneBars * AboutTuneBarTicks;
// Ticks per millisecond at 120 beats a minute: 96 ticks every 500 ms.
constexpr double TicksPerMillisecond = AboutTuneDivision / 500.0;

struct TuneEvent {
    uint32_t tick;
    std::vector<uint8_t> bytes;
};

std::string TuneChunk(std::vector<TuneEvent> events) {
    // Note offs (written as note on with velocity 0) go before the note ons of the same tick.
    std::stable_sort(events.begin(), events.end(), [](const TuneEvent& a, const TuneEvent& b) {
        if (a.tick != b.tick) return a.tick < b.tick;
        const bool aOff = a.bytes.size() == 3 && (a.bytes[0] & 0xF0) == 0x90 && a.bytes[2] == 0;
        const bool bOff = b.bytes.size() == 3 && (b.bytes[0] & 0xF0) == 0x90 && b.bytes[2] == 0;
        return aOff && !bOff;
    });
    MidiBytes data;
    uint32_t last = 0;
    for (const TuneEvent& event : events) {
        AppendQuantity(data, event.tick - last);
        last = event.tick;
        data.insert(data.end(), event.bytes.begin(), event.bytes.end());
    }
    AppendEndOfTrack(data);
    const MidiBytes chunk = TrackChunk(data);
    return std::string(chunk.begin(), chunk.end());
}

void AddNote(std::vector<TuneEvent>& events, uint8_t channel, uint32_t tick, uint32_t length, uint8_t key,
             uint8_t velocity) {
    events.push_back({tick, {static_cast<uint8_t>(0x90 | channel), key, velocity}});
    events.push_back({tick + length, {static_cast<uint8_t>(0x90 | channel), key, 0}});
}

void AddName(std::vector<TuneEvent>& events, const std::string& name) {
    std::vector<uint8_t> bytes = {0xFF, 0x03, static_cast<uint8_t>(name.size())};
    bytes.insert(bytes.end(), name.begin(), name.end());
    events.push_back({0, bytes});
}

}  // namespace

QString ProgramVersion() {
    return QStringLiteral(SONKORA_VERSION);
}

std::string AboutTuneBytes() {
    // The melody, bar by bar, in eighths: C, F, G, C, A minor, F, G, C.
    struct Note {
        uint8_t key;
        int eighths;
    };
    static const std::array<std::vector<Note>, 8> melody = {{
        {{72, 2}, {76, 2}, {79, 2}, {76, 2}},
        {{77, 2}, {81, 2}, {79, 2}, {77, 2}},
        {{76, 2}, {74, 2}, {72, 2}, {74, 2}},
        {{76, 4}, {79, 4}},
        {{81, 2}, {79, 2}, {76, 2}, {72, 2}},
        {{77, 2}, {76, 2}, {74, 2}, {77, 2}},
        {{76, 2}, {74, 1}, {76, 1}, {74, 2}, {71, 2}},
        {{72, 8}},
    }};
    static const std::array<uint8_t, 9> roots = {48, 41, 43, 48, 45, 41, 43, 48, 36};
    static const std::array<std::array<uint8_t, 3>, 9> chords = {{{60, 64, 67},
                                                                  {60, 65, 69},
                                                                  {59, 62, 67},
                                                                  {60, 64, 67},
                                                                  {57, 60, 64},
                                                                  {57, 60, 65},
                                                                  {59, 62, 67},
                                                                  {60, 64, 67},
                                                                  {60, 64, 72}}};

    std::vector<TuneEvent> conductor;
    AddName(conductor, "Sonkora");
    conductor.push_back({0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}});  // 4/4
    conductor.push_back({0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}});        // 500000 us a quarter

    std::vector<TuneEvent> lead;
    AddName(lead, "Melody");
    lead.push_back({0, {0xC0, 11}});  // vibraphone
    lead.push_back({0, {0xB0, 7, 110}});
    uint32_t tick = 0;
    for (const auto& bar : melody)
        for (const Note& note : bar) {
            const auto length = static_cast<uint32_t>(note.eighths * Eighth);
            AddNote(lead, 0, tick, length - 4, note.key, 100);
            tick += length;
        }
    AddNote(lead, 0, tick, AboutTuneBarTicks, 84, 90);  // the last chord's top

    std::vector<TuneEvent> bass;
    AddName(bass, "Bass");
    bass.push_back({0, {0xC1, 33}});  // finger bass
    std::vector<TuneEvent> strings;
    AddName(strings, "Strings");
    strings.push_back({0, {0xC2, 48}});  // string ensemble
    strings.push_back({0, {0xB2, 7, 70}});
    for (int bar = 0; bar < TuneBars; ++bar) {
        const auto start = static_cast<uint32_t>(bar * AboutTuneBarTicks);
        const bool last = bar == TuneBars - 1;
        for (int beat = 0; beat < (last ? 1 : 4); ++beat)
            AddNote(bass, 1, start + static_cast<uint32_t>(beat * AboutTuneDivision),
                    last ? AboutTuneBarTicks : AboutTuneDivision - 8,
                    static_cast<uint8_t>(roots[static_cast<size_t>(bar)] + (beat % 2 == 1 ? 12 : 0)), 96);
        for (uint8_t key : chords[static_cast<size_t>(bar)]) AddNote(strings, 2, start, AboutTuneBarTicks - 2, key, 64);
    }

    const MidiBytes header = FileHeader(1, 4, AboutTuneDivision);
    std::string file(header.begin(), header.end());
    for (auto* track : {&conductor, &lead, &bass, &strings}) file += TuneChunk(*track);
    return file;
}

QStringList AboutCredits() {
    return {QStringLiteral("Sonkora"),
            QStringLiteral("makes karaoke files"),
            QStringLiteral("from song texts and MIDI files."),
            QStringLiteral("Version %1").arg(ProgramVersion()),
            QStringLiteral("Sound: FluidSynth, TimGM6mb soundfont"),
            QStringLiteral("MIDI ports: RtMidi and ALSA"),
            QStringLiteral("Hyphenation: Liang, Knuth, hyph-utf8"),
            QStringLiteral("Windows and dialogs: Qt %1").arg(QString::fromLatin1(qVersion()))};
}

// ---------------------------------------------------------------------------------
// AboutBox

AboutBox::AboutBox(ShellServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setWindowTitle(QStringLiteral("About Sonkora"));
    setProperty("sonkoraHelpContext", HelpContext::AboutAndBatch);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(MakeProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setText(QStringLiteral("<h2>Sonkora</h2>"
                                 "<p>Version %1</p>"
                                 "<p>Sonkora makes karaoke files. Write the lyrics of a song as a song text, "
                                 "split into syllables, name the MIDI file and its melody track, and Sonkora "
                                 "puts every syllable on its note and writes a Soft Karaoke file (.kar) that "
                                 "karaoke players show syllable by syllable.</p>")
                      .arg(ProgramVersion()));
    text->setMinimumWidth(360);
    top->addWidget(text, 1);
    layout->addLayout(top);

    credits_ = new CreditsView(AboutCredits(), AboutTuneDivision, this);
    layout->addWidget(credits_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Help, this);
    tuneButton_ = buttons->addButton(QStringLiteral("&Play tune"), QDialogButtonBox::ActionRole);
    tuneButton_->setObjectName(QStringLiteral("tuneButton"));
    tuneButton_->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    ConnectHelp(buttons->button(QDialogButtonBox::Help), services_, HelpContext::AboutAndBatch);
    connect(tuneButton_, &QPushButton::clicked, this, &AboutBox::toggleTune);
    layout->addWidget(buttons);

    animationTimer_ = new QTimer(this);
    animationTimer_->setInterval(40);
    connect(animationTimer_, &QTimer::timeout, this, &AboutBox::advanceCredits);
    silentClock_.start();
    setFixedSize(sizeHint());
}

AboutBox::~AboutBox() {
    StopTune();
}

void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    animationTimer_->start();
    // The tune greets the user only where it can sound and interrupts nothing; the
    // button plays it anywhere, and says so when there is no device.
    if (!services_.Playing() && services_.Engine().MidiOut() != 0) StartTune();
    UpdateTuneButton();
}

bool AboutBox::TunePlaying() const {
    return started_ && services_.Playing() && services_.PlayingEditor() == nullptr &&
           services_.Engine().SoloTrack() == 0;
}

void AboutBox::toggleTune() {
    if (TunePlaying())
        StopTune();
    else
        StartTune();
    UpdateTuneButton();
}

void AboutBox::StartTune() {
    if (tuneFile_.isEmpty()) {
        folder_ = std::make_unique<QTemporaryDir>();
        const QString path = folder_->isValid() ? folder_->filePath(QStringLiteral("about.mid")) : QString();
        QFile file(path);
        const std::string bytes = AboutTuneBytes();
        if (path.isEmpty() || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
            !file.flush()) {
            services_.ErrorBox(QStringLiteral("The tune cannot be played: no temporary file can be written (%1).")
                                   .arg(path.isEmpty() ? folder_->errorString() : file.errorString()),
                               HelpContext::AboutAndBatch);
            return;
        }
        tuneFile_ = path;
    }
    started_ = true;
    services_.PlaySong(tuneFile_.toStdString(), nullptr, false);
    silentClock_.restart();
}

void AboutBox::StopTune() {
    if (TunePlaying()) services_.StopPlaying();
    started_ = false;
}

void AboutBox::UpdateTuneButton() {
    tuneButton_->setText(TunePlaying() ? QStringLiteral("&Stop tune") : QStringLiteral("&Play tune"));
}

void AboutBox::advanceCredits() {
    if (TunePlaying()) {
        credits_->SetSongTime(services_.Toolkit().ReadClock());
        silentStart_ = credits_->SongTime();
        silentClock_.restart();
    } else {
        // Without sound the credits go on at the tune's pace from where they stand.
        const auto elapsed = static_cast<int64_t>(static_cast<double>(silentClock_.elapsed()) * TicksPerMillisecond);
        credits_->SetSongTime(static_cast<int32_t>((silentStart_ + elapsed) % TuneTicks));
    }
    UpdateTuneButton();
}

}  // namespace sonkora
