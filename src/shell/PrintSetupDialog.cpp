#include "shell/PrintSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonkora {

PrintSetupDialog::PrintSetupDialog(QWidget* parent, QPrinter& printer, const QStringList& printers, bool pdfChosen)
    : QDialog(parent), printer_(printer) {
    setWindowTitle(QStringLiteral("Print Setup"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    targets_ = new QComboBox(this);
    targets_->setObjectName(QStringLiteral("printers"));
    // The item's data is the printer's name; the PDF file has none.
    for (const QString& name : printers) targets_->addItem(name, name);
    targets_->addItem(QStringLiteral("PDF file beside the song text"), QString());
    form->addRow(QStringLiteral("&Printer:"), targets_);
    layout->addLayout(form);

    int current = targets_->count() - 1;
    if (!pdfChosen && !printers.isEmpty()) {
        const QString wanted =
            printer_.printerName().isEmpty() ? QPrinterInfo::defaultPrinterName() : printer_.printerName();
        const int found = static_cast<int>(printers.indexOf(wanted));
        current = found >= 0 ? found : 0;
    }
    targets_->setCurrentIndex(current);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* pageSetup = buttons->addButton(QStringLiteral("P&age Setup..."), QDialogButtonBox::ActionRole);
    pageSetup->setObjectName(QStringLiteral("pageSetup"));
    connect(pageSetup, &QPushButton::clicked, this, &PrintSetupDialog::PageSetup);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool PrintSetupDialog::PdfChosen() const {
    return targets_->currentData().toString().isEmpty();
}

void PrintSetupDialog::ApplyChoice() {
    if (PdfChosen()) return;  // the PDF is written with the printer's page layout, whatever printer it names
    printer_.setOutputFormat(QPrinter::NativeFormat);
    printer_.setPrinterName(targets_->currentData().toString());
}

void PrintSetupDialog::PageSetup() {
    // The paper sizes offered are those of the printer chosen now.
    ApplyChoice();
    QPageSetupDialog dialog(&printer_, this);
    dialog.setWindowTitle(QStringLiteral("Page Setup"));
    dialog.exec();
}

void PrintSetupDialog::accept() {
    ApplyChoice();
    QDialog::accept();
}

}  // namespace sonkora
