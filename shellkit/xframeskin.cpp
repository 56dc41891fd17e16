#include "xframeskin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int kBorder = 4;
constexpr int kCornerGrip = 12;
constexpr int kTitleBarHeight = 32;
constexpr int kIconSize = 18;

// A title-bar button whose glyph is drawn rather than loaded, so that it
// stays sharp at any scale and takes its colour from the style sheet
// ("color") like text would.
class FrameButton : public QToolButton
{
public:
    enum Glyph { Minimise, Maximise, Restore, Close };

    FrameButton(Glyph glyph, QWidget* parent) : QToolButton(parent), m_glyph(glyph)
    {
        setFocusPolicy(Qt::NoFocus);
        setAutoRaise(true);
        setFixedSize(46, kTitleBarHeight);
    }

    void setGlyph(Glyph glyph)
    {
        m_glyph = glyph;
        update();
    }
    Glyph glyph() const { return m_glyph; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        painter.drawComplexControl(QStyle::CC_ToolButton, option);

        QColor colour = palette().color(QPalette::ButtonText);
        // White on the red hover of the close button reads best on any skin.
        if (m_glyph == Close && (isDown() || underMouse()))
            colour = Qt::white;
        if (!isEnabled())
            colour.setAlphaF(0.4f);

        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(colour, 1.1);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);

        const qreal s = 10.0;
        const QPointF c = QRectF(rect()).center();
        const QRectF box(c.x() - s / 2, c.y() - s / 2, s, s);
        switch (m_glyph) {
        case Minimise:
            painter.drawLine(QPointF(box.left(), c.y()), QPointF(box.right(), c.y()));
            break;
        case Maximise:
            painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
            break;
        case Restore: {
            const QRectF front = box.adjusted(0.5, 2.5, -2.5, -0.5);
            painter.drawRect(front);
            QPainterPath back;
            back.moveTo(front.left() + 2, front.top());
            back.lineTo(front.left() + 2, box.top() + 0.5);
            back.lineTo(box.right() - 0.5, box.top() + 0.5);
            back.lineTo(box.right() - 0.5, front.bottom() - 2);
            back.lineTo(front.right(), front.bottom() - 2);
            painter.drawPath(back);
            break;
        }
        case Close:
            painter.drawLine(box.topLeft(), box.bottomRight());
            painter.drawLine(box.topRight(), box.bottomLeft());
            break;
        }
    }

private:
    Glyph m_glyph;
};

void repolishTree(QWidget* root)
{
    QStyle* style = root->style();
    style->unpolish(root);
    style->polish(root);
    root->update();
    const QList<QWidget*> children = root->findChildren<QWidget*>();
    for (QWidget* w : children) {
        w->style()->unpolish(w);
        w->style()->polish(w);
        w->update();
    }
}

} // namespace

xframeskin::xframeskin(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint)
{
    setAttribute(Qt::WA_StyledBackground);
    // Hover moves are needed to show the resize cursors along the edges.
    setMouseTracking(true);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    m_layout->setSpacing(0);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName(QStringLiteral("xframeskinTitleBar"));
    m_titleBar->setAttribute(Qt::WA_StyledBackground);
    m_titleBar->setFixedHeight(kTitleBarHeight);
    m_titleBar->setProperty("active", true);
    m_titleBar->installEventFilter(this);

    auto* bar = new QHBoxLayout(m_titleBar);
    bar->setContentsMargins(10, 0, 0, 0);
    bar->setSpacing(8);

    m_iconLabel = new QLabel(m_titleBar);
    m_iconLabel->setObjectName(QStringLiteral("xframeskinIcon"));
    m_iconLabel->setFixedSize(kIconSize, kIconSize);
    m_iconLabel->hide();
    bar->addWidget(m_iconLabel);

    m_titleLabel = new QLabel(m_titleBar);
    m_titleLabel->setObjectName(QStringLiteral("xframeskinTitle"));
    // A long title must not widen the window; it is cut instead.
    m_titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_titleLabel->setMinimumWidth(0);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setProperty("active", true);
    bar->addWidget(m_titleLabel, 1);

    auto* minButton = new FrameButton(FrameButton::Minimise, m_titleBar);
    auto* maxButton = new FrameButton(FrameButton::Maximise, m_titleBar);
    auto* closeButton = new FrameButton(FrameButton::Close, m_titleBar);
    m_minButton = minButton;
    m_maxButton = maxButton;
    m_closeButton = closeButton;
    m_minButton->setObjectName(QStringLiteral("xframeskinMin"));
    m_maxButton->setObjectName(QStringLiteral("xframeskinMax"));
    m_closeButton->setObjectName(QStringLiteral("xframeskinClose"));
    m_minButton->setToolTip(tr("Minimize"));
    m_maxButton->setToolTip(tr("Maximize"));
    m_closeButton->setToolTip(tr("Close"));
    bar->addWidget(m_minButton);
    bar->addWidget(m_maxButton);
    bar->addWidget(m_closeButton);

    connect(m_minButton, &QToolButton::clicked, this, &QWidget::showMinimized);
    connect(m_maxButton, &QToolButton::clicked, this, &xframeskin::toggleMaximised);
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);
    // The dialog look hangs on the object name, which callers set after
    // construction; the style sheet only notices on a new polish.
    connect(this, &QObject::objectNameChanged, this, &xframeskin::repolish);

    m_layout->addWidget(m_titleBar);
}

xframeskin::~xframeskin()
{
    if (m_child)
        m_child->removeEventFilter(this);
}

int xframeskin::resizeBorder()
{
    return kBorder;
}

void xframeskin::setChild(QWidget* child)
{
    if (child == m_child)
        return;
    if (m_child) {
        m_child->removeEventFilter(this);
        m_layout->removeWidget(m_child);
    }
    m_child = child;
    if (!child)
        return;
    if (child->parentWidget() != this)
        child->setParent(this);
    m_layout->addWidget(child, 1);
    child->installEventFilter(this);
    child->show();
    followChildTitle();
    updateButtonsFromChild();
}

void xframeskin::setWindowIcon(const QString& iconFile)
{
    m_iconFile = iconFile;
    const QPixmap pixmap(iconFile);
    if (pixmap.isNull()) {
        // An unreadable file leaves no broken image in the title bar.
        m_iconLabel->clear();
        m_iconLabel->hide();
        QWidget::setWindowIcon(QIcon());
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap small = pixmap.scaled(QSize(kIconSize, kIconSize) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    small.setDevicePixelRatio(ratio);
    m_iconLabel->setPixmap(small);
    m_iconLabel->show();
    QWidget::setWindowIcon(QIcon(pixmap));
}

void xframeskin::toggleMaximised()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

bool xframeskin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_titleBar)
        return handleTitleBarEvent(event);

    if (m_child && watched == m_child) {
        switch (event->type()) {
        case QEvent::WindowTitleChange:
        case QEvent::ModifiedChange:
            followChildTitle();
            break;
        case QEvent::Enter:
            // The edge cursor would otherwise be inherited by the content.
            if (!m_resizeEdges)
                unsetCursor();
            break;
        case QEvent::Close: {
            if (m_closing)
                break; // the frame is closing and asked the child
            // The child closes on its own: let it decide first, and if it
            // agrees take the frame along. The event is delivered here, so
            // it must not be delivered a second time.
            QPointer<QWidget> child = m_child;
            static_cast<QObject*>(child.data())->event(event);
            if (event->isAccepted()) {
                QPointer<xframeskin> self(this);
                m_closing = true;
                close();
                if (self)
                    m_closing = false;
            }
            return true;
        }
        case QEvent::LayoutRequest:
            // A new minimum size of the child reaches the frame's layout by
            // itself; only the button set may need a look.
            updateButtonsFromChild();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool xframeskin::handleTitleBarEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (!m_resizeEdges)
            unsetCursor();
        return false;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || isMaximized())
            return false;
        // The move starts on the first real drag, so that a double click
        // still reaches us as one.
        m_movePending = true;
        m_pressGlobal = mouse->globalPosition().toPoint();
        m_moveOffset = m_pressGlobal - pos();
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton))
            return false;
        const QPoint global = mouse->globalPosition().toPoint();
        if (m_movePending) {
            if ((global - m_pressGlobal).manhattanLength() < QApplication::startDragDistance())
                return true;
            m_movePending = false;
            if (windowHandle() && windowHandle()->startSystemMove())
                return true;
            m_moving = true;
        }
        if (m_moving)
            move(global - m_moveOffset);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_movePending = false;
        m_moving = false;
        return false;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_maxButton->isVisible()) {
            m_movePending = false;
            m_moving = false;
            toggleMaximised();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool xframeskin::closeChildFirst()
{
    if (m_closing || !m_child)
        return true;
    m_closing = true;
    QPointer<xframeskin> self(this);
    const bool closed = m_child->close();
    if (self)
        m_closing = false;
    return closed;
}

void xframeskin::closeEvent(QCloseEvent* event)
{
    // The hosted window may refuse (unsaved work and the like); then the
    // frame stays as well.
    if (!closeChildFirst()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

Qt::Edges xframeskin::edgesAt(const QPoint& pos) const
{
    if (isMaximized() || isFullScreen() || minimumSize() == maximumSize())
        return {};
    Qt::Edges edges;
    const bool left = pos.x() < kBorder;
    const bool right = pos.x() >= width() - kBorder;
    const bool top = pos.y() < kBorder;
    const bool bottom = pos.y() >= height() - kBorder;
    if (left)
        edges |= Qt::LeftEdge;
    if (right)
        edges |= Qt::RightEdge;
    if (top)
        edges |= Qt::TopEdge;
    if (bottom)
        edges |= Qt::BottomEdge;
    // Near a corner the thin border alone is a hard target; widen it along
    // the edge so that diagonal resizing is easy to hit.
    if (left || right) {
        if (pos.y() < kCornerGrip)
            edges |= Qt::TopEdge;
        else if (pos.y() >= height() - kCornerGrip)
            edges |= Qt::BottomEdge;
    }
    if (top || bottom) {
        if (pos.x() < kCornerGrip)
            edges |= Qt::LeftEdge;
        else if (pos.x() >= width() - kCornerGrip)
            edges |= Qt::RightEdge;
    }
    return edges;
}

void xframeskin::updateCursor(const QPoint& pos)
{
    const Qt::Edges edges = edgesAt(pos);
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void xframeskin::mousePressEvent(QMouseEvent* event)
{
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !edges) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (windowHandle() && windowHandle()->startSystemResize(edges)) {
        event->accept();
        return;
    }
    m_resizeEdges = edges;
    m_pressGlobal = event->globalPosition().toPoint();
    m_startGeometry = geometry();
    event->accept();
}

void xframeskin::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_resizeEdges) {
        updateCursor(event->position().toPoint());
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    const QSize minSize = minimumSize().expandedTo(minimumSizeHint());
    const QSize maxSize = maximumSize();
    QRect g = m_startGeometry;
    // Each edge moves by the pointer's travel, held between the minimum and
    // maximum size; a left or top edge keeps the opposite edge in place.
    if (m_resizeEdges & Qt::LeftEdge) {
        const int w = qBound(minSize.width(), m_startGeometry.width() - delta.x(), maxSize.width());
        g.setLeft(m_startGeometry.right() + 1 - w);
    }
    if (m_resizeEdges & Qt::RightEdge)
        g.setWidth(qBound(minSize.width(), m_startGeometry.width() + delta.x(), maxSize.width()));
    if (m_resizeEdges & Qt::TopEdge) {
        const int h = qBound(minSize.height(), m_startGeometry.height() - delta.y(), maxSize.height());
        g.setTop(m_startGeometry.bottom() + 1 - h);
    }
    if (m_resizeEdges & Qt::BottomEdge)
        g.setHeight(qBound(minSize.height(), m_startGeometry.height() + delta.y(), maxSize.height()));
    setGeometry(g);
    event->accept();
}

void xframeskin::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_resizeEdges) {
        m_resizeEdges = {};
        updateCursor(event->position().toPoint());
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void xframeskin::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        updateMaximiseButton();
    } else if (event->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        m_titleBar->setProperty("active", active);
        m_titleLabel->setProperty("active", active);
        for (QWidget* w : {m_titleBar, static_cast<QWidget*>(m_titleLabel)}) {
            w->style()->unpolish(w);
            w->style()->polish(w);
            w->update();
        }
    }
    QWidget::changeEvent(event);
}

void xframeskin::showEvent(QShowEvent* event)
{
    // First appearance: centre on the screen unless someone placed the
    // window already.
    if (!testAttribute(Qt::WA_Moved) && !isMaximized() && !isFullScreen()) {
        QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
        if (target) {
            QRect g = geometry();
            g.moveCenter(target->availableGeometry().center());
            move(g.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void xframeskin::updateMaximiseButton()
{
    const bool maximised = isMaximized() || isFullScreen();
    static_cast<FrameButton*>(m_maxButton)->setGlyph(maximised ? FrameButton::Restore : FrameButton::Maximise);
    m_maxButton->setToolTip(maximised ? tr("Restore") : tr("Maximize"));
    m_maxButton->setProperty("frameMaximized", maximised);
    // No border to grab when the window fills the screen.
    const int border = maximised ? 0 : kBorder;
    m_layout->setContentsMargins(border, border, border, border);
    if (!maximised)
        unsetCursor();
}

void xframeskin::updateButtonsFromChild()
{
    // A hosted window set up as a top-level window carries title-bar hints;
    // honour the ones that drop minimise and maximise (a small fixed tool
    // window). A plain widget has no hints and gets all buttons.
    bool minimise = true;
    bool maximise = true;
    if (m_child) {
        const Qt::WindowFlags flags = m_child->windowFlags();
        const Qt::WindowFlags hints = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (flags & hints) {
            minimise = flags.testFlag(Qt::WindowMinimizeButtonHint);
            maximise = flags.testFlag(Qt::WindowMaximizeButtonHint);
        }
        const QSize min = m_child->minimumSize();
        const QSize max = m_child->maximumSize();
        if (!min.isEmpty() && min == max)
            maximise = false;
    }
    m_minButton->setVisible(minimise);
    m_maxButton->setVisible(maximise);
}

void xframeskin::followChildTitle()
{
    if (!m_child)
        return;
    QString title = m_child->windowTitle();
    // The "[*]" placeholder marks where a modified window shows its star.
    title.replace(QLatin1String("[*]"), m_child->isWindowModified() ? QStringLiteral("*") : QString());
    m_titleLabel->setText(title);
    setWindowTitle(title);
}

void xframeskin::repolish()
{
    repolishTree(this);
}
