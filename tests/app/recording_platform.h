#pragma once

#include "platform.h"

#include <QList>
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

    void openUrl(const QUrl& url) override { opened.append(url); }
    bool askYesNo(QWidget*, const QString& caption, const QString& text) override
    {
        questions.append({caption, text});
        return answerYes;
    }

    bool answerYes = false;
    QList<QUrl> opened;
    QList<Question> questions;
};

}  // namespace tamsel::app::testing
