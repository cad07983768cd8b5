#pragma once

#include "platform.h"

#include <QList>
#include <QStringList>
#include <QString>
#include <QUrl>

namespace tamsel::app::testing {

// Records what the window would open and answers its questions as told.
class RecordingPlatform : public Platform {
public:
    struct Question {
        QString caption;
        QString text;
    };

    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return browserSetUp;
    }
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override
    {
        questions.append({caption, text});
        return answerYes;
    }

    void warn(QWidget*, const QString& caption, const QString& text) override { warnings.append({caption, text}); }
    QString saveFileName(QWidget*, const QString&, const QString& suggested, const QString&) override
    {
        suggestedNames.append(suggested);
        return chosenFile;
    }
    QString existingFolder(QWidget*, const QString&) override { return chosenFolder; }

    bool answerYes = false;
    bool browserSetUp = true;  // what openUrl answers
    QString chosenFile;    // the answer of every save dialog; empty: cancelled
    QString chosenFolder;  // the answer of every folder dialog; empty: cancelled
    QList<QUrl> opened;
    QList<Question> questions;
    QList<Question> warnings;
    QStringList suggestedNames;
};

}  // namespace tamsel::app::testing
