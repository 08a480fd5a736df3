#pragma once
// The OK, Cancel and Help row of the settings dialogs, and the Help button that opens a
// topic of the help while the dialog stays.

class QAbstractButton;
class QDialog;
class QPushButton;
class QVBoxLayout;

namespace sonkora {

class ShellServices;

// Adds OK, Cancel and Help below the dialog's content; returns the Help button.
QPushButton* AddDialogButtons(QDialog& dialog, QVBoxLayout& layout);

// The help topic `helpContext` opens when `help` is clicked.
void ConnectHelp(QAbstractButton* help, ShellServices& services, int helpContext);

}  // namespace sonkora
