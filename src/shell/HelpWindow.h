#pragma once
// The help window: the HTML topics installed beside the program, shown by context
// number (every box, dialog and menu item names the topic that explains it) or found
// by keyword in the topics' index.

#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace sonkora {

struct HelpKeyword {
    QString Keyword;
    QString Target;  // a topic file, perhaps with "#anchor"
};

struct HelpIndex {
    QMap<int, QString> Topics;  // context number -> topic file, perhaps with "#anchor"
    std::vector<HelpKeyword> Keywords;
};

// Reads the index of a help folder; an empty index when there is none.
HelpIndex LoadHelpIndex(const QString& helpDirectory);
HelpIndex ParseHelpIndex(const QString& text);

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(const QString& helpDirectory);

    // Shows the topic of a context number; false when there is no such topic file.
    bool ShowContext(int helpContext);
    // Opens the keyword index with `keyword` typed in.
    void ShowKeywordSearch(const QString& keyword);
    // Closes the window (the main window does this when the program ends).
    void Quit();

    const HelpIndex& Index() const { return index_; }

private:
    bool ShowTarget(const QString& target);
    void FillKeywordList(const QString& filter);
    void ShowSelectedKeyword();

    QTextBrowser* browser_ = nullptr;
    QLineEdit* keywordEdit_ = nullptr;
    QListWidget* keywordList_ = nullptr;
    QString directory_;
    HelpIndex index_;
    QWidget* indexPanel_ = nullptr;
};

}  // namespace sonkora
