#pragma once
// What the shell's tests share: a program folder of their own (settings, examples,
// help), and an answerer that replies to the modal boxes and dialogs an action opens,
// recording what they said.

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>

#include "shell/ShellEnvironment.h"

namespace sonkora::test {

class TestProgramFolder {
public:
    TestProgramFolder();
    bool IsValid() const { return dir_.isValid(); }
    QString Path(const QString& name = {}) const;
    TShellEnvironment Environment() const;
    // Copies the example songs the project ships into examples/.
    void CopyExamples();
    // Copies the help topics the project ships into help/.
    void CopyHelp();
    void WriteFile(const QString& name, const QByteArray& bytes);
    QByteArray ReadFile(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// Replies, in order, to the modal boxes and dialogs that show up while it lives.
class ModalAnswerer : public QObject {
    Q_OBJECT

public:
    ModalAnswerer();
    ~ModalAnswerer() override;

    ModalAnswerer& Press(QMessageBox::StandardButton button);
    ModalAnswerer& ChooseFile(const QString& path);
    ModalAnswerer& ChooseTrack(int index);
    ModalAnswerer& Cancel();

    // One entry per modal handled: "box: TEXT", "file: TITLE", "tracks: N items".
    QStringList Seen;
    // Modals that came with no reply queued; each was cancelled.
    QStringList Unexpected;
    bool AllUsed() const { return replies_.empty(); }

private:
    struct Reply {
        enum Kind { Button, File, Track, CancelIt } kind;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        QString path;
        int index = 0;
    };
    void Poll();

    std::deque<Reply> replies_;
    QTimer timer_;
};

// The lines of an ini file's text.
QStringList IniLines(const QByteArray& bytes);

}  // namespace sonkora::test
