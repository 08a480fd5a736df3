// Record Timing on recording devices with a clock moved by hand: the song starts a
// pre-roll before the caret's syllable, Space times the highlighted syllable (a tap near
// its own note writes nothing), Backspace takes a tap back, Esc ends, and the recording
// is one step of Undo.
#include <QtTest>

#include <QApplication>

#include "playback/PlaybackEngine.h"
#include "shell/EditorWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellSettings.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

QString Selected(const SongTextEdit* pane) {
    return pane->textCursor().selectedText();
}

QString Line(EditorWindow* editor, int line) {
    return SongText(editor)->toPlainText().split(QLatin1Char('\n')).value(line);
}

}  // namespace

class RecordTimingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void TapsBecomeCodesAsOneUndoStep() {
        FrameFixture f;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        ModalAnswerer answer;
        editor->recordTiming();
        QCOMPARE(f.frame->PlayingEditor(), editor);
        QCOMPARE(f.frame->Engine().StartTime(), 0);  // the pre-roll reaches before the song
        QVERIFY(Selected(SongText(editor)).startsWith(QStringLiteral("Hel")));
        const auto tapAt = [&](int64_t micros, Qt::Key key = Qt::Key_Space) {
            f.At(micros);
            QTest::keyClick(SongText(editor), key);
        };
        tapAt(30'000);   // 30 ms after the note of "Hel": snapped, its own note, no code
        tapAt(520'000);  // "lo"
        QVERIFY(Selected(SongText(editor)).startsWith(QStringLiteral("world")));
        tapAt(1'100'000);  // far from any note: a code before "world"
        QVERIFY2(Line(editor, 4).startsWith(QStringLiteral("Hel-lo $1:3:")), qPrintable(Line(editor, 4)));
        QVERIFY(Selected(SongText(editor)).startsWith(QStringLiteral("how")));
        QTest::keyClick(SongText(editor), Qt::Key_Backspace);
        QCOMPARE(Line(editor, 4), QStringLiteral("Hel-lo world"));
        QVERIFY(Selected(SongText(editor)).startsWith(QStringLiteral("world")));
        tapAt(1'250'000);  // tick 240: beat 3 and a half
        QCOMPARE(Line(editor, 4), QStringLiteral("Hel-lo $1:3:60$world"));
        tapAt(1'520'000);
        tapAt(2'010'000);
        tapAt(2'490'000);
        f.At(2'600'000);
        QTest::keyClick(SongText(editor), Qt::Key_Escape);
        QVERIFY(!f.frame->Playing());
        QVERIFY(!editor->Recording());
        QVERIFY2(answer.Unexpected.isEmpty(), qPrintable(answer.Unexpected.join(QLatin1Char('|'))));

        QCOMPARE(editor->Document().Line(4), std::string("Hel-lo $1:3:60$world"));
        QCOMPARE(editor->Document().Line(5), std::string("how are you"));
        QVERIFY(SongText(editor)->document()->isModified());
        editor->undo();
        QCOMPARE(SongText(editor)->toPlainText().toUtf8(), SixSyllables);
    }

    void ThePreRollStartsBeforeTheCaretsSyllable() {
        FrameFixture f;
        f.frame->Settings().PreRollMs = 1000;
        EditorWindow* editor = f.Open(QStringLiteral("song.stf"), SixSyllables);
        SongText(editor)->Select(SongText(editor)->LineStartIndex(5), 0);  // "how", at 1.5 s
        editor->recordTiming();
        QCOMPARE(f.frame->Engine().StartTime(), 96);  // 0.5 s
        QVERIFY(Selected(SongText(editor)).startsWith(QStringLiteral("how")));
        // Stop without a tap leaves the text as it was.
        f.frame->StopPlaying();
        QVERIFY(!editor->Recording());
        QVERIFY(!SongText(editor)->document()->isModified());
        QCOMPARE(SongText(editor)->toPlainText().toUtf8(), SixSyllables);
    }
};

QTEST_MAIN(RecordTimingTest)
#include "record_timing_test.moc"
