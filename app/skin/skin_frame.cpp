#include "skin_frame.h"

#include "caption_button.h"
#include "skin.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace tamsel::app {

namespace {

const QString Frame = QStringLiteral("frame");
// How far into the frame a press still grabs an edge; corners grab twice as far.
constexpr int ResizeGrip = 6;

}  // namespace

SkinFrame::SkinFrame(QWidget& window, QWidget& client, const Skin& skin)
    : QWidget(&window),
      window_(window),
      client_(client),
      caption_(window.windowTitle()),
      border_(skin.intValue(Frame, QStringLiteral("border"), 8)),
      captionHeight_(skin.intValue(Frame, QStringLiteral("caption-height"), 30)),
      background_(skin.colorValue(Frame, QStringLiteral("background"), QColor(0xe3, 0xe9, 0xf1))),
      borderColor_(skin.colorValue(Frame, QStringLiteral("border-color"), QColor(0x2a, 0x5b, 0x9c))),
      captionColor_(skin.colorValue(Frame, QStringLiteral("caption-color"), Qt::white)),
      captionImage_(skin.pixmap(Frame, QStringLiteral("caption-image"))),
      icon_(skin.pixmap(Frame, QStringLiteral("icon"))),
      maximizeGlyph_(skin.pixmap(Frame, QStringLiteral("button-maximize"))),
      restoreGlyph_(skin.pixmap(Frame, QStringLiteral("button-restore"))),
      rollUpGlyph_(skin.pixmap(Frame, QStringLiteral("button-rollup"))),
      rollDownGlyph_(skin.pixmap(Frame, QStringLiteral("button-rolldown")))
{
    setObjectName(QStringLiteral("skinFrame"));
    setMouseTracking(true);
    captionFont_.setFamily(skin.value(Frame, QStringLiteral("caption-font"), QStringLiteral("Noto Sans CJK SC")));
    captionFont_.setPixelSize(skin.intValue(Frame, QStringLiteral("caption-font-px"), 14));
    captionFont_.setBold(true);

    window_.setWindowFlag(Qt::FramelessWindowHint);
    window_.setWindowIcon(QIcon(icon_));

    const QColor hover = skin.colorValue(Frame, QStringLiteral("button-hover"), QColor(255, 255, 255, 0x33));
    const QColor closeHover = skin.colorValue(Frame, QStringLiteral("close-hover"), QColor(0xe0, 0x44, 0x3c));
    const QColor pressed = skin.colorValue(Frame, QStringLiteral("button-pressed"), QColor(255, 255, 255, 0x55));
    const auto make = [&](const char* name, const QPixmap& glyph, const QColor& glow) {
        auto* button = new CaptionButton(glyph, glow, pressed, this);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    sysMenuButton_ = make("skinFrameSystemMenu", icon_.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                          hover);
    rollUpButton_ = make("skinFrameRollUp", rollUpGlyph_, hover);
    minimizeButton_ = make("skinFrameMinimize", skin.pixmap(Frame, QStringLiteral("button-minimize")), hover);
    maximizeButton_ = make("skinFrameMaximize", maximizeGlyph_, hover);
    closeButton_ = make("skinFrameClose", skin.pixmap(Frame, QStringLiteral("button-close")), closeHover);
    minimizeButton_->setToolTip(QStringLiteral("最小化"));
    closeButton_->setToolTip(QStringLiteral("关闭"));

    systemMenu_ = new QMenu(this);
    systemMenu_->setObjectName(QStringLiteral("skinFrameMenu"));
    connect(sysMenuButton_, &QAbstractButton::clicked, this, &SkinFrame::showSystemMenu);
    connect(rollUpButton_, &QAbstractButton::clicked, this, &SkinFrame::toggleRollUp);
    connect(minimizeButton_, &QAbstractButton::clicked, &window_, &QWidget::showMinimized);
    connect(maximizeButton_, &QAbstractButton::clicked, this, &SkinFrame::toggleMaximized);
    connect(closeButton_, &QAbstractButton::clicked, &window_, &QWidget::close);

    window_.installEventFilter(this);
    lower();
    updateButtons();
    layoutFrame();
}

QSize SkinFrame::outerSizeFor(QSize clientSize) const
{
    return {clientSize.width() + 2 * border_, clientSize.height() + captionHeight_ + border_};
}

QRect SkinFrame::clientRect() const
{
    return QRect(border_, captionHeight_, std::max(window_.width() - 2 * border_, 0),
                 std::max(window_.height() - captionHeight_ - border_, 0));
}

void SkinFrame::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void SkinFrame::setMinimumOuterSize(QSize size)
{
    minimumOuterSize_ = size;
    if (!rolledUp_)
        window_.setMinimumSize(size);
}

void SkinFrame::toggleRollUp()
{
    if (!rolledUp_) {
        unrolledHeight_ = window_.height();
        rolledUp_ = true;
        window_.setMinimumSize(minimumOuterSize_.width(), captionHeight_);
        client_.hide();
        window_.resize(window_.width(), captionHeight_);
    } else {
        rolledUp_ = false;
        window_.setMinimumSize(minimumOuterSize_);
        window_.resize(window_.width(), std::max(unrolledHeight_, minimumOuterSize_.height()));
        client_.show();
    }
    updateButtons();
}

QRect SkinFrame::restoredGeometry() const
{
    if (maximized_)
        return normalGeometry_;
    QRect geometry = window_.geometry();
    if (rolledUp_)
        geometry.setHeight(unrolledHeight_);
    return geometry;
}

void SkinFrame::toggleMaximized()
{
    if (rolledUp_)
        toggleRollUp();
    if (!maximized_) {
        normalGeometry_ = window_.geometry();
        const QScreen* screen = window_.screen();
        if (screen == nullptr)
            return;
        maximized_ = true;
        window_.setGeometry(screen->availableGeometry());
    } else {
        maximized_ = false;
        window_.setGeometry(normalGeometry_);
    }
    updateButtons();
}

void SkinFrame::updateButtons()
{
    maximizeButton_->setGlyph(maximized_ ? restoreGlyph_ : maximizeGlyph_);
    maximizeButton_->setToolTip(maximized_ ? QStringLiteral("还原") : QStringLiteral("最大化"));
    rollUpButton_->setGlyph(rolledUp_ ? rollDownGlyph_ : rollUpGlyph_);
    rollUpButton_->setToolTip(rolledUp_ ? QStringLiteral("展开") : QStringLiteral("收起"));
}

void SkinFrame::showSystemMenu()
{
    systemMenu_->clear();
    QAction* restore = systemMenu_->addAction(tr("还原"), this, [this] {
        if (rolledUp_)
            toggleRollUp();
        if (maximized_)
            toggleMaximized();
    });
    restore->setEnabled(rolledUp_ || maximized_);
    systemMenu_->addAction(tr("最小化"), &window_, &QWidget::showMinimized);
    systemMenu_->addAction(maximized_ ? tr("还原大小") : tr("最大化"), this, &SkinFrame::toggleMaximized);
    systemMenu_->addAction(rolledUp_ ? tr("展开") : tr("卷起"), this, &SkinFrame::toggleRollUp);
    systemMenu_->addSeparator();
    systemMenu_->addAction(tr("关闭"), &window_, &QWidget::close);
    systemMenu_->popup(sysMenuButton_->mapToGlobal(QPoint(0, sysMenuButton_->height())));
}

void SkinFrame::layoutFrame()
{
    setGeometry(0, 0, window_.width(), window_.height());
    client_.setGeometry(clientRect());

    const int size = std::min(captionHeight_ - 4, 26);
    const int top = (captionHeight_ - size) / 2;
    sysMenuButton_->setGeometry(border_ - 2, top, size, size);
    int right = window_.width() - border_ + 2;
    for (CaptionButton* button : {closeButton_, maximizeButton_, minimizeButton_, rollUpButton_}) {
        right -= size;
        button->setGeometry(right, top, size, size);
        right -= 2;
    }
}

bool SkinFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && event->type() == QEvent::Resize)
        layoutFrame();
    return QWidget::eventFilter(watched, event);
}

void SkinFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    const QRect caption(0, 0, width(), captionHeight_);
    if (!captionImage_.isNull())
        painter.drawTiledPixmap(caption, captionImage_.scaled(captionImage_.width(), captionHeight_));
    else
        painter.fillRect(caption, borderColor_);

    painter.setFont(captionFont_);
    painter.setPen(captionColor_);
    const int textLeft = sysMenuButton_->geometry().right() + 6;
    const int textRight = rollUpButton_->geometry().left() - 6;
    const QRect textRect(textLeft, 0, std::max(textRight - textLeft, 0), captionHeight_);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(caption_, Qt::ElideRight, textRect.width()));

    painter.setPen(borderColor_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!rolledUp_) {
        // A fine line around the client area sets it off from the frame.
        painter.setPen(background_.darker(115));
        painter.drawRect(clientRect().adjusted(-1, -1, 0, 0));
    }
}

Qt::Edges SkinFrame::edgesAt(QPoint pos) const
{
    if (maximized_)
        return {};
    Qt::Edges edges;
    const int grip = std::min(ResizeGrip, border_);
    if (pos.x() < grip)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - grip)
        edges |= Qt::RightEdge;
    if (pos.y() < grip / 2)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - grip && !rolledUp_)
        edges |= Qt::BottomEdge;
    return edges;
}

bool SkinFrame::inCaption(QPoint pos) const
{
    return pos.y() < captionHeight_;
}

void SkinFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    QWindow* handle = window_.windowHandle();
    if (edges) {
        if (handle != nullptr && handle->startSystemResize(edges))
            return;
    } else if (inCaption(event->position().toPoint()) && !maximized_) {
        if (handle != nullptr && handle->startSystemMove())
            return;
    } else {
        return QWidget::mousePressEvent(event);
    }
    dragging_ = true;
    dragEdges_ = edges;
    dragStartGlobal_ = event->globalPosition().toPoint();
    dragStartGeometry_ = window_.geometry();
}

void SkinFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        const bool diagonal = (edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge));
        if (diagonal)
            setCursor((edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
                          ? Qt::SizeFDiagCursor
                          : Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - dragStartGlobal_;
    if (!dragEdges_) {
        window_.move(dragStartGeometry_.topLeft() + delta);
        return;
    }
    QRect geometry = dragStartGeometry_;
    const QSize minimum = window_.minimumSize();
    if (dragEdges_ & Qt::LeftEdge)
        geometry.setLeft(std::min(geometry.left() + delta.x(), geometry.right() - minimum.width() + 1));
    if (dragEdges_ & Qt::RightEdge)
        geometry.setRight(std::max(geometry.right() + delta.x(), geometry.left() + minimum.width() - 1));
    if (dragEdges_ & Qt::TopEdge)
        geometry.setTop(std::min(geometry.top() + delta.y(), geometry.bottom() - minimum.height() + 1));
    if (dragEdges_ & Qt::BottomEdge)
        geometry.setBottom(std::max(geometry.bottom() + delta.y(), geometry.top() + minimum.height() - 1));
    window_.setGeometry(geometry);
}

void SkinFrame::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

void SkinFrame::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && inCaption(event->position().toPoint()) &&
        !edgesAt(event->position().toPoint()))
        toggleMaximized();
}

}  // namespace tamsel::app
