#pragma once

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QMenu;

namespace tamsel::app {

class CaptionButton;
class Skin;

// The window's own frame and caption bar, drawn from the skin's [frame] section on a
// frameless top-level window: system menu, minimise, maximise, roll-up and close;
// the caption moves the window, the edges resize it. It lies under the client
// widget and keeps that widget on the client area, so the window's size is the
// frame's outer size under any window manager. The caption text is its own: the
// window title, which the taskbar shows, may differ from it.
class SkinFrame : public QWidget {
    Q_OBJECT

public:
    SkinFrame(QWidget& window, QWidget& client, const Skin& skin);

    int border() const { return border_; }
    int captionHeight() const { return captionHeight_; }
    QSize outerSizeFor(QSize clientSize) const;
    QRect clientRect() const;

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Enforced whenever the window is not rolled up.
    void setMinimumOuterSize(QSize size);

    bool isRolledUp() const { return rolledUp_; }
    bool isMaximized() const { return maximized_; }
    // The window's place and size when neither maximized nor rolled up.
    QRect restoredGeometry() const;
    void toggleRollUp();
    void toggleMaximized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void layoutFrame();
    Qt::Edges edgesAt(QPoint pos) const;
    bool inCaption(QPoint pos) const;
    void showSystemMenu();
    void updateButtons();

    QWidget& window_;
    QWidget& client_;
    QString caption_;
    int border_;
    int captionHeight_;
    QColor background_;
    QColor borderColor_;
    QColor captionColor_;
    QFont captionFont_;
    QPixmap captionImage_;
    QPixmap icon_;
    QPixmap maximizeGlyph_;
    QPixmap restoreGlyph_;
    QPixmap rollUpGlyph_;
    QPixmap rollDownGlyph_;

    CaptionButton* sysMenuButton_;
    CaptionButton* minimizeButton_;
    CaptionButton* maximizeButton_;
    CaptionButton* rollUpButton_;
    CaptionButton* closeButton_;
    QMenu* systemMenu_;

    QSize minimumOuterSize_;
    bool rolledUp_ = false;
    int unrolledHeight_ = 0;
    bool maximized_ = false;
    QRect normalGeometry_;

    // A move or resize done by hand when the window manager does not offer one.
    Qt::Edges dragEdges_;
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QRect dragStartGeometry_;
};

}  // namespace tamsel::app
