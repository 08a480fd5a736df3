#include "shell/HelpWindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "common/UserInterface.h"

namespace sonkora {

HelpIndex LoadHelpIndex(const QString& helpDirectory) {
    QFile file(QDir(helpDirectory).filePath(QStringLiteral("index.txt")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    // A help index is a few kilobytes; a larger file is not one.
    const QByteArray bytes = file.read(1024 * 1024);
    return ParseHelpIndex(QString::fromUtf8(bytes));
}

HelpIndex ParseHelpIndex(const QString& text) {
    HelpIndex index;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 2) continue;
        bool isNumber = false;
        const int context = fields[0].trimmed().toInt(&isNumber);
        const QString target = fields[1].trimmed();
        if (target.isEmpty()) continue;
        if (isNumber) index.Topics.insert(context, target);
        for (qsizetype i = 2; i < fields.size(); ++i)
            for (const QString& keyword : fields[i].split(QLatin1Char(';'), Qt::SkipEmptyParts))
                if (!keyword.trimmed().isEmpty()) index.Keywords.push_back({keyword.trimmed(), target});
    }
    std::stable_sort(index.Keywords.begin(), index.Keywords.end(), [](const HelpKeyword& a, const HelpKeyword& b) {
        return a.Keyword.compare(b.Keyword, Qt::CaseInsensitive) < 0;
    });
    return index;
}

HelpWindow::HelpWindow(const QString& helpDirectory)
    : QWidget(nullptr, Qt::Window), directory_(helpDirectory), index_(LoadHelpIndex(helpDirectory)) {
    setWindowTitle(QStringLiteral("Sonkora Help"));
    // The help window never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Beside the song rather than over it: the right part of the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const int width = std::min(820, area.width() / 2);
        const int height = std::max(400, area.height() * 5 / 6);
        setGeometry(area.right() - width - 8, area.top() + 40, width, std::min(height, area.height() - 48));
    } else {
        resize(820, 640);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* tools = new QToolBar(this);
    layout->addWidget(tools);

    auto* splitter = new QSplitter(this);
    indexPanel_ = new QWidget(splitter);
    auto* panelLayout = new QVBoxLayout(indexPanel_);
    auto* label = new QLabel(QStringLiteral("&Type a word to look for:"), indexPanel_);
    keywordEdit_ = new QLineEdit(indexPanel_);
    label->setBuddy(keywordEdit_);
    keywordList_ = new QListWidget(indexPanel_);
    auto* display = new QPushButton(QStringLiteral("&Display"), indexPanel_);
    panelLayout->addWidget(label);
    panelLayout->addWidget(keywordEdit_);
    panelLayout->addWidget(keywordList_, 1);
    panelLayout->addWidget(display);
    browser_ = new QTextBrowser(splitter);
    keywordEdit_->setObjectName(QStringLiteral("keywordEdit"));
    keywordList_->setObjectName(QStringLiteral("keywordList"));
    browser_->setObjectName(QStringLiteral("browser"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({directory_});
    splitter->addWidget(indexPanel_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});
    layout->addWidget(splitter, 1);
    indexPanel_->hide();

    QAction* contents = tools->addAction(QStringLiteral("&Contents"));
    QAction* search = tools->addAction(QStringLiteral("&Index"));
    QAction* back = tools->addAction(QStringLiteral("&Back"));
    QAction* forward = tools->addAction(QStringLiteral("&Forward"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QAction::triggered, this, [this] { ShowContext(HelpContext::General); });
    connect(search, &QAction::triggered, this, [this] {
        if (indexPanel_->isVisible())
            indexPanel_->hide();
        else
            ShowKeywordSearch(keywordEdit_->text());
    });
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Sonkora Help") : title);
    });

    connect(keywordEdit_, &QLineEdit::textChanged, this, &HelpWindow::FillKeywordList);
    connect(keywordEdit_, &QLineEdit::returnPressed, this, &HelpWindow::ShowSelectedKeyword);
    connect(keywordList_, &QListWidget::itemActivated, this, &HelpWindow::ShowSelectedKeyword);
    connect(display, &QPushButton::clicked, this, &HelpWindow::ShowSelectedKeyword);
    FillKeywordList(QString());
}

bool HelpWindow::ShowTarget(const QString& target) {
    const qsizetype hash = target.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? target : target.left(hash);
    const QString path = QDir(directory_).filePath(file);
    if (file.isEmpty() || !QFileInfo(path).isFile()) return false;
    QUrl url = QUrl::fromLocalFile(path);
    if (hash >= 0) url.setFragment(target.mid(hash + 1));
    browser_->setSource(url);
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    return true;
}

bool HelpWindow::ShowContext(int helpContext) {
    auto it = index_.Topics.constFind(helpContext);
    if (it == index_.Topics.constEnd()) it = index_.Topics.constFind(HelpContext::General);
    if (it == index_.Topics.constEnd()) return false;
    return ShowTarget(it.value());
}

void HelpWindow::ShowKeywordSearch(const QString& keyword) {
    indexPanel_->show();
    keywordEdit_->setText(keyword);
    FillKeywordList(keyword);
    if (browser_->source().isEmpty()) ShowContext(HelpContext::General);
    show();
    raise();
    activateWindow();
    keywordEdit_->setFocus();
}

void HelpWindow::Quit() {
    close();
}

void HelpWindow::FillKeywordList(const QString& filter) {
    keywordList_->clear();
    const QString wanted = filter.trimmed();
    for (const HelpKeyword& keyword : index_.Keywords) {
        if (!wanted.isEmpty() && !keyword.Keyword.contains(wanted, Qt::CaseInsensitive)) continue;
        auto* item = new QListWidgetItem(keyword.Keyword, keywordList_);
        item->setData(Qt::UserRole, keyword.Target);
    }
    // The first keyword that begins with what was typed is the one Enter shows.
    for (int i = 0; i < keywordList_->count(); ++i) {
        if (keywordList_->item(i)->text().startsWith(wanted, Qt::CaseInsensitive)) {
            keywordList_->setCurrentRow(i);
            return;
        }
    }
    if (keywordList_->count() > 0) keywordList_->setCurrentRow(0);
}

void HelpWindow::ShowSelectedKeyword() {
    QListWidgetItem* item = keywordList_->currentItem();
    if (item) ShowTarget(item->data(Qt::UserRole).toString());
}

}  // namespace sonkora
