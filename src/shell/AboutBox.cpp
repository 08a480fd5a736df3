#include "shell/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/UserInterface.h"
#include "shell/MDIFrame.h"
#include "shell/ToolIcons.h"

#ifndef SONKORA_VERSION
#define SONKORA_VERSION "unknown"
#endif

namespace sonkora {

QString ProgramVersion() {
    return QStringLiteral(SONKORA_VERSION);
}

TAboutBox::TAboutBox(TFrameForm* frame) : QDialog(frame) {
    setWindowTitle(QStringLiteral("About Sonkora"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(MakeProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    auto* text = new QLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setText(QStringLiteral(
                      "<h2>Sonkora</h2>"
                      "<p>Version %1</p>"
                      "<p>Sonkora makes karaoke files. Write the lyrics of a song as a song text, "
                      "split into syllables, name the MIDI file and its melody track, and Sonkora "
                      "puts every syllable on its note and writes a Soft Karaoke file (.kar) that "
                      "karaoke players show syllable by syllable.</p>"
                      "<p>Built with Qt %2.</p>")
                      .arg(ProgramVersion(), QString::fromLatin1(qVersion())));
    text->setMinimumWidth(360);
    top->addWidget(text, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons->button(QDialogButtonBox::Help), &QPushButton::clicked, frame,
            [frame] { frame->ShowHelp(HelpContext::AboutAndBatch); });
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}  // namespace sonkora
