#pragma once
// KaraokePlayerDialog: "Karaoke Player" in the Options menu, the program that Play In
// Karaoke Player starts and its parameters ("%" stands for the karaoke file).

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace sonkora {

class ShellServices;

class KaraokePlayerDialog : public QDialog {
    Q_OBJECT

public:
    KaraokePlayerDialog(ShellServices& services, QWidget* parent);

    void SetPlayer(const QString& program, const QString& parameters);
    QString Program() const;
    QString Parameters() const;

    // Browse...: a chosen program's full name replaces the path.
    void browseProgram();

private:
    ShellServices& services_;
    QLineEdit* path_ = nullptr;
    QLineEdit* parameters_ = nullptr;
    QPushButton* browse_ = nullptr;
};

}  // namespace sonkora
