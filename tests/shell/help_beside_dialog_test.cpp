// Help asked for from a modal dialog: the help window comes up on the dialog's topic and
// takes keys (search, scrolling) while the dialog stays open and takes keys too. Keys go
// through the window system, where a window blocked by a modal dialog never sees them.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QWindow>

#include "common/UserInterface.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/ShellTestSupport.h"

using namespace sonkora;
using namespace sonkora::test;

namespace {

void Type(QWidget* window, const QString& text) {
    for (QChar c : text) QTest::keyClick(window->windowHandle(), c.toLatin1());
}

// Opens the help window's keyword search and types into it, through the window system.
QString Search(HelpWindow& help, const QString& text) {
    for (QAction* action : help.findChildren<QAction*>())
        if (action->text() == QStringLiteral("&Index") && !help.KeywordEdit->isVisible()) action->trigger();
    help.KeywordEdit->clear();
    Type(&help, text);
    return help.KeywordEdit->text();
}

const QByteArray Ini = "[Views]\nView0=Main\n[ViewSettings]\nView0HelpShown=40\n";

}  // namespace

class HelpBesideDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void HelpFromAModalDialogIsUsableWhileTheDialogStaysOpenAndUsable() {
        TestProgramFolder folder;
        folder.CopyHelp();
        folder.WriteFile(QStringLiteral("Sonkora.ini"), Ini);
        MainWindow frame(folder.Environment());
        frame.show();

        QPointer<HelpWindow> help;
        QString topic, typed, selectedWithHelpOpen;
        int scrolled = 0;
        bool dialogOpenAfterHelp = false;
        QTimer::singleShot(0, &frame, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
            help = frame.Help();
            QVERIFY(help->isVisible());
            topic = help->Browser->source().fileName();

            typed = Search(*help, QStringLiteral("tempo"));
            // Scrolling a page that is taller than the window.
            help->resize(360, 160);
            help->Browser->setFocus();
            QApplication::processEvents();
            QTest::keyClick(help->windowHandle(), Qt::Key_PageDown);
            scrolled = help->Browser->verticalScrollBar()->value();

            // The dialog takes keys while the help is open.
            auto* devices = dialog->findChild<QListWidget*>(QStringLiteral("devices"));
            devices->setFocus();
            QTest::keyClick(dialog->windowHandle(), Qt::Key_Down);
            selectedWithHelpOpen = devices->currentItem() ? devices->currentItem()->text() : QString();

            help->close();
            dialogOpenAfterHelp = dialog->isVisible();
            QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
            if (dialog->isVisible()) dialog->reject();
        });
        frame.midiSetup();

        QCOMPARE(topic, QStringLiteral("midi-setup.html"));
        QCOMPARE(typed, QStringLiteral("tempo"));
        QVERIFY(scrolled > 0);
        QCOMPARE(selectedWithHelpOpen, QStringLiteral("Port B"));
        QVERIFY(dialogOpenAfterHelp);
        QCOMPARE(frame.Settings().MidiOutDevice, std::string("Port B"));  // accepted with Return

        // The help window outlives the dialog and is the program's own again: from the
        // menu it shows as before.
        QVERIFY(help);
        QVERIFY(help->parentWidget() == nullptr);
        frame.helpContents();
        QVERIFY(help->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // A message box over a modal dialog: its Help brings the help window up in front of
    // the box, usable, and the box and the dialog stay.
    void HelpFromABoxOverAModalDialogIsUsableToo() {
        TestProgramFolder folder;
        folder.CopyHelp();
        folder.WriteFile(QStringLiteral("Sonkora.ini"), Ini);
        MainWindow frame(folder.Environment());
        frame.show();

        QString typed;
        bool boxBack = false, dialogStayed = false;
        QTimer::singleShot(0, &frame, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QTimer::singleShot(0, &frame, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                box->button(QMessageBox::Help)->click();
                // Runs once the box is back and the help has come up.
                QTimer::singleShot(0, &frame, [&, box] {
                    QTimer::singleShot(0, &frame, [&, box] {
                        boxBack = box->isVisible();
                        typed = Search(*frame.Help(), QStringLiteral("midi"));
                        frame.Help()->close();
                        QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
                        if (box->isVisible()) box->reject();
                    });
                });
            });
            frame.WarningBox(QStringLiteral("Something to read."), HelpContext::General);
            dialogStayed = dialog->isVisible();
            static_cast<QDialog*>(dialog)->reject();
        });
        frame.midiSetup();
        QVERIFY(boxBack);
        QCOMPARE(typed, QStringLiteral("midi"));
        QVERIFY(dialogStayed);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(HelpBesideDialogTest)
#include "help_beside_dialog_test.moc"
