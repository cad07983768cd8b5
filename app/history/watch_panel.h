#pragma once

#include <QTime>
#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimeEdit;

namespace tamsel::app {

// 监控列表 on the 探测历史 tab: the shops run in turn, adding and removing them, running the
// whole list, and a daily time at which the window runs it. It only shows and asks.
class WatchPanel : public QWidget {
    Q_OBJECT

public:
    explicit WatchPanel(QWidget* parent);

    // The sellers (GBK), in the order they run.
    void setSellers(const std::vector<std::string>& sellerIds);
    // While the list runs, 全部探测 waits.
    void setRunning(bool running);
    void setDaily(bool on, QTime at);

signals:
    void addRequested(const std::vector<std::string>& sellerIds);
    void removeRequested(const std::vector<std::string>& sellerIds);
    void runRequested();
    void dailyChanged(bool on, QTime at);

private:
    void add();
    void updateButtons();

    QListWidget* list_;
    QLineEdit* seller_;
    QPushButton* add_;
    QPushButton* remove_;
    QPushButton* run_;
    QCheckBox* daily_;
    QTimeEdit* time_;
    bool running_ = false;
};

}  // namespace tamsel::app
