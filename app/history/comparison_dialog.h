#pragma once

#include "run_report.h"
#include "run_comparison.h"

#include <QDialog>

#include <map>
#include <string>

class QTreeWidget;

namespace tamsel::app {

class Platform;

// What changed between a shop's earlier and later judged runs, section by section; a
// double-click on an item opens its marketplace page.
class ComparisonDialog : public QDialog {
    Q_OBJECT

public:
    // `since`: for items demoted in the later run, since when (by item id, GBK), shown beside
    // the newly and still demoted ones.
    ComparisonDialog(const RunComparison& comparison, const RunReport& earlier, const RunReport& later,
                     const std::map<std::string, QString>& since, std::string itemHost, Platform& platform,
                     QWidget* parent);

private:
    void addSection(const QString& title, const std::vector<ItemChange>& changes, const std::map<std::string, QString>* since);

    QTreeWidget* tree_;
    std::string itemHost_;
    Platform& platform_;
};

}  // namespace tamsel::app
