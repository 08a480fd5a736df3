#pragma once
// The about box: the program's name, version and what it is for.

#include <QDialog>

namespace sonkora {

class TFrameForm;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(TFrameForm* frame);
};

// "0.1.0": the version the build was made with.
QString ProgramVersion();

}  // namespace sonkora
