#pragma once
// PrintSetupDialog: "Print Setup", where an editor window's printout is sent: one of the
// printers installed, or a PDF file beside the song text (the only choice on a machine
// without printers). Page Setup sets the paper and margins of the chosen printer.

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QPrinter;

namespace sonkora {

class PrintSetupDialog : public QDialog {
    Q_OBJECT

public:
    // `printers`: the names of the printers installed. The printer of `printer` is
    // preselected, or the PDF file when `pdfChosen`.
    PrintSetupDialog(QWidget* parent, QPrinter& printer, const QStringList& printers, bool pdfChosen);

    // The choice the dialog shows now: true for the PDF file.
    bool PdfChosen() const;

    // Sets the printer to the choice before the dialog closes with OK.
    void accept() override;

private:
    void ApplyChoice();
    void PageSetup();

    QPrinter& printer_;
    QComboBox* targets_ = nullptr;
};

}  // namespace sonkora
