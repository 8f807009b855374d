#include "ui/footprint_map.h"

#include <QApplication>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace marlo::ui {

namespace {

constexpr int kFileRole = 0;
constexpr int kMarkedRole = 1;
constexpr int kSkippedRole = 2;

const QColor kSheetColour(30, 90, 180);
const QColor kWarningColour(210, 40, 30);
const QColor kSelectedColour(255, 170, 0);
const QColor kSkippedColour(150, 150, 150);

// How far the view zooms: out to half the fitted series, in until a quarter of the smallest
// sheet fills it.
constexpr double kFurthestOut = 0.5;
constexpr double kSheetPartFillingTheView = 0.25;

// North up: the scene's y runs down, a map's northing up.
QPointF ScenePoint(const MapPoint& point) {
    return {point.x, -point.y};
}

// A round step near `about`: 1, 2 or 5 times a power of ten.
double RoundStep(double about) {
    if (!(about > 0) || !std::isfinite(about)) {
        return 1;
    }
    const double power = std::pow(10.0, std::floor(std::log10(about)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= about) {
            return factor * power;
        }
    }
    return 10 * power;
}

// A coordinate to the millimetre. (A sheet's tooltip is made for each of thousands of sheets:
// std::to_chars gives the same digits as Qt's number formatting at a tenth of its cost.)
void AppendCoordinate(std::string& text, double value) {
    char digits[320];  // the longest double, written out in full
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof(digits), value, std::chars_format::fixed, 3);
    text.append(digits, error == std::errc() ? end : digits);
}

// The corners as the footprint gave them (the scene's y is the northing turned over, exactly).
QString CornersText(const QPolygonF& polygon) {
    std::string text;
    for (const QPointF& corner : polygon) {
        text += '\n';
        AppendCoordinate(text, corner.x());
        text += ", ";
        AppendCoordinate(text, -corner.y());
    }
    return QString::fromStdString(text);
}

double LongerSide(const QPolygonF& polygon) {
    return std::max(QLineF(polygon[0], polygon[1]).length(),
                    QLineF(polygon[0], polygon[3]).length());
}

// Whether an outline, as the view shows it, looks the same drawn without antialiasing: each of
// its edges runs along a row or a column of pixels (a north-up sheet), or it is a few pixels
// across. Antialiasing costs half the painting of a series of a thousand sheets.
bool NeedsNoSmoothing(const QPolygonF& onScreen) {
    constexpr double kAlongPixels = 0.05, kFewPixels = 4;
    const QRectF bounds = onScreen.boundingRect();
    if (std::max(bounds.width(), bounds.height()) < kFewPixels) {
        return true;
    }
    for (qsizetype i = 0; i < onScreen.size(); ++i) {
        const QPointF edge = onScreen[(i + 1) % onScreen.size()] - onScreen[i];
        if (std::abs(edge.x()) > kAlongPixels && std::abs(edge.y()) > kAlongPixels) {
            return false;
        }
    }
    return true;
}

// An outline whose selection shows in its own colours (see Style), not as Qt's dashed box.
class SheetOutline final : public QGraphicsPolygonItem {
public:
    using QGraphicsPolygonItem::QGraphicsPolygonItem;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget) override {
        QStyleOptionGraphicsItem plain(*option);
        plain.state &= ~QStyle::State_Selected;
        painter->setRenderHint(QPainter::Antialiasing,
                               !NeedsNoSmoothing(painter->worldTransform().map(polygon())));
        QGraphicsPolygonItem::paint(painter, &plain, widget);
    }
};

// A sheet's own colour: red when marked, grey when the run skipped it (its earlier output is
// drawn, so that a resumed run shows no holes), else blue.
QColor ColourOf(const QGraphicsPolygonItem& outline) {
    if (outline.data(kMarkedRole).toBool()) {
        return kWarningColour;
    }
    return outline.data(kSkippedRole).toBool() ? kSkippedColour : kSheetColour;
}

// A sheet's colours: its own, and filled orange with a broad edge when selected (seen even
// where the whole series makes a sheet a few pixels wide).
void Style(QGraphicsPolygonItem& outline, bool selected) {
    const QColor colour = ColourOf(outline);
    QPen pen(selected ? Qt::black : colour, selected ? 3 : 0);  // cosmetic: pixels at every zoom
    pen.setCosmetic(true);
    QColor fill = selected ? kSelectedColour : colour;
    fill.setAlpha(selected ? 190 : outline.data(kMarkedRole).toBool() ? 110 : 40);
    outline.setPen(pen);
    outline.setBrush(fill);
    outline.setZValue(selected ? 1 : 0);
}

}  // namespace

// The dots at the sheets' centres, which keep their size at every zoom: a sheet among a few
// hundred kilometres of others is a point, and an outlier must still be seen. One item paints
// them all from a picture of each kind of dot, made once: as items of their own, untransformed,
// they cost the map a third of its painting. Outliers' dots come last, above the others. The
// item has no shape: the map finds the dot under the pointer itself (DotAt).
class SheetDots final : public QGraphicsItem {
public:
    struct Dot {
        QPointF centre;
        QGraphicsPolygonItem* outline;
        QColor colour;
        bool marked;
    };

    // `sheets` holds every centre.
    SheetDots(std::vector<Dot> dots, const QRectF& sheets)
        : dots_(std::move(dots)), bounds_(sheets) {
        std::stable_partition(dots_.begin(), dots_.end(),
                              [](const Dot& dot) { return !dot.marked; });
        setAcceptedMouseButtons(Qt::NoButton);
        setZValue(2);
    }

    static double Radius(bool marked) { return marked ? 5 : 2.5; }

    QRectF boundingRect() const override { return bounds_; }
    QPainterPath shape() const override { return {}; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QTransform toView = painter->worldTransform();
        const double pixelRatio = painter->device()->devicePixelRatioF();
        if (pixelRatio != picturesPixelRatio_) {
            pictures_.clear();
            picturesPixelRatio_ = pixelRatio;
        }
        painter->save();
        painter->resetTransform();
        for (const Dot& dot : dots_) {
            const double radius = Radius(dot.marked);
            painter->drawPixmap(toView.map(dot.centre) - QPointF(radius, radius),
                                Picture(dot.colour, dot.marked));
        }
        painter->restore();
    }

    // The outline of the topmost dot that covers `point` of the view, else nullptr.
    QGraphicsPolygonItem* At(const QPointF& point, const QTransform& toView) const {
        for (auto dot = dots_.rbegin(); dot != dots_.rend(); ++dot) {
            if (QLineF(toView.map(dot->centre), point).length() <= Radius(dot->marked) + 0.5) {
                return dot->outline;
            }
        }
        return nullptr;
    }

private:
    const QPixmap& Picture(const QColor& colour, bool marked) {
        QPixmap& picture = pictures_[{colour.rgba(), marked}];
        if (picture.isNull()) {
            const double diameter = 2 * Radius(marked);
            const int side = static_cast<int>(std::ceil(diameter * picturesPixelRatio_));
            picture = QPixmap(side, side);
            picture.setDevicePixelRatio(picturesPixelRatio_);
            picture.fill(Qt::transparent);
            QPainter painter(&picture);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawEllipse(QRectF(0, 0, diameter, diameter));
        }
        return picture;
    }

    std::vector<Dot> dots_;
    QRectF bounds_;
    std::map<std::pair<QRgb, bool>, QPixmap> pictures_;
    double picturesPixelRatio_ = 0;
};

FootprintMap::FootprintMap(QWidget* parent) : QGraphicsView(parent) {
    setObjectName("mapView");
    setScene(new QGraphicsScene(this));
    // A run's sheets stay where they are: a search tree of them costs their first painting more
    // than it saves on a click.
    scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
    // Panning is ours (Qt's hand drag gives way to any item under the button, and sheets
    // cover the whole series); without scroll bars a zoom never resizes the view.
    setDragMode(QGraphicsView::NoDrag);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRenderHint(QPainter::Antialiasing);
    setTransformationAnchor(QGraphicsView::NoAnchor);  // ZoomBy keeps its own point in place
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    // The scale bar stays put in the view: a scroll must repaint it, not move its pixels along.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setMinimumSize(420, 260);
    connect(scene(), &QGraphicsScene::selectionChanged, this, [this] {
        Highlight();
        if (highlighted_ != nullptr) {
            emit sheetSelected(highlighted_->data(kFileRole).toInt());
        }
    });
}

FootprintMap::~FootprintMap() {
    // The scene goes with the widget's children, after this object has stopped being a map:
    // its last selection change must not reach it.
    scene()->disconnect(this);
}

void FootprintMap::Show(const RunOutcome& outcome, const std::vector<std::size_t>& files,
                        const std::set<std::size_t>& outliers, const QString& unit) {
    scene()->clear();
    outlines_.clear();
    highlighted_ = nullptr;
    unit_ = unit;
    sheets_ = QRectF();
    sheetSize_ = 0;
    dots_ = nullptr;
    std::vector<SheetDots::Dot> dots;
    for (const std::size_t file : files) {
        const FileReport& report = outcome.files[file];
        QPolygonF polygon;
        for (const MapPoint& corner : report.footprint->corners) {
            polygon << ScenePoint(corner);
        }
        const bool marked = outliers.count(file) != 0;
        auto* outline = new SheetOutline(polygon);
        outline->setFlag(QGraphicsItem::ItemIsSelectable);
        outline->setData(kFileRole, static_cast<int>(file));
        outline->setData(kMarkedRole, marked);
        outline->setData(kSkippedRole, report.result == FileResult::Skipped);
        Style(*outline, false);
        dots.push_back({polygon.boundingRect().center(), outline, ColourOf(*outline), marked});
        scene()->addItem(outline);
        outlines_.push_back({file, outline, report.file});
        sheets_ = sheets_.united(polygon.boundingRect());
        const double size = LongerSide(polygon);
        sheetSize_ = sheetSize_ > 0 ? std::min(sheetSize_, size) : size;
    }
    dots_ = new SheetDots(std::move(dots), sheets_);
    scene()->addItem(dots_);
    // Room to pan a series' edge to the middle of the view.
    const double room = std::max({sheets_.width(), sheets_.height(), sheetSize_});
    setSceneRect(sheets_.adjusted(-room, -room, room, room));
    FitSheets();
}

bool FootprintMap::IsMarked(const QGraphicsPolygonItem& outline) {
    return outline.data(kMarkedRole).toBool();
}

bool FootprintMap::IsGreyed(const QGraphicsPolygonItem& outline) {
    return outline.data(kSkippedRole).toBool() && !IsMarked(outline);
}

QGraphicsPolygonItem* FootprintMap::Outline(std::size_t file) const {
    const auto drawn = std::find_if(outlines_.begin(), outlines_.end(),
                                    [&](const DrawnSheet& sheet) { return sheet.file == file; });
    return drawn != outlines_.end() ? drawn->outline : nullptr;
}

QString FootprintMap::SheetText(std::size_t file) const {
    // Made when asked for: thousands of sheets, each with its text, cost a run's map a fifth of
    // its making.
    for (const DrawnSheet& sheet : outlines_) {
        if (sheet.file == file) {
            return QString::fromStdString(sheet.name) + CornersText(sheet.outline->polygon());
        }
    }
    return {};
}

bool FootprintMap::Select(std::size_t file) {
    QGraphicsPolygonItem* outline = Outline(file);
    if (outline == nullptr) {
        return false;
    }
    {
        const QSignalBlocker blocker(scene());
        scene()->clearSelection();
        outline->setSelected(true);
    }
    Highlight();
    centerOn(outline);
    fitted_ = false;
    return true;
}

void FootprintMap::Highlight() {
    const auto selected = scene()->selectedItems();
    auto* now = selected.isEmpty() ? nullptr : static_cast<QGraphicsPolygonItem*>(selected.front());
    if (now == highlighted_) {
        return;
    }
    if (highlighted_ != nullptr) {
        Style(*highlighted_, false);
    }
    highlighted_ = now;
    if (highlighted_ != nullptr) {
        Style(*highlighted_, true);
    }
}

double FootprintMap::Zoom() const {
    return std::abs(transform().m11());
}

void FootprintMap::FitSheets() {
    fitted_ = true;
    if (sheets_.isEmpty() && sheetSize_ <= 0) {
        return;
    }
    // Room around the sheets, for the grid and the scale bar.
    const double margin = std::max({sheets_.width(), sheets_.height(), sheetSize_}) * 0.05;
    fitInView(sheets_.adjusted(-margin, -margin, margin, margin), Qt::KeepAspectRatio);
}

void FootprintMap::ZoomBy(double factor, const QPointF& fixed) {
    const double view = std::max(1, std::min(viewport()->width(), viewport()->height()));
    const double series = std::max({sheets_.width(), sheets_.height(), sheetSize_, 1e-9});
    const double furthestOut = kFurthestOut * view / series;
    const double furthestIn = view / std::max(kSheetPartFillingTheView * sheetSize_, 1e-9);
    const double zoom = std::clamp(Zoom() * factor, std::min(furthestOut, furthestIn), furthestIn);
    const QPointF underPointer = mapToScene(fixed.toPoint());
    scale(zoom / Zoom(), zoom / Zoom());
    ScrollBy(mapFromScene(underPointer) - fixed.toPoint());
    fitted_ = false;
}

void FootprintMap::ScrollBy(const QPoint& pixels) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + pixels.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + pixels.y());
}

void FootprintMap::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    if (fitted_) {
        FitSheets();
    }
}

void FootprintMap::wheelEvent(QWheelEvent* event) {
    // The point under the pointer stays where it is.
    ZoomBy(std::pow(1.0015, event->angleDelta().y()), event->position());
    event->accept();
}

void FootprintMap::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    pressedAt_ = lastDragAt_ = event->position().toPoint();
    panning_ = false;
    event->accept();
}

void FootprintMap::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_) {
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    if (!panning_ && (at - *pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    if (!panning_) {
        panning_ = true;
        viewport()->setCursor(Qt::ClosedHandCursor);
    }
    ScrollBy(lastDragAt_ - at);
    lastDragAt_ = at;
    fitted_ = false;
    event->accept();
}

void FootprintMap::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressedAt_) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    if (!panning_) {
        SelectAt(event->position().toPoint());
    }
    pressedAt_.reset();
    panning_ = false;
    viewport()->unsetCursor();
    event->accept();
}

void FootprintMap::mouseDoubleClickEvent(QMouseEvent* event) {
    // The way back to the whole series.
    FitSheets();
    event->accept();
}

QGraphicsPolygonItem* FootprintMap::DotAt(const QPoint& position) const {
    return dots_ != nullptr ? dots_->At(position, viewportTransform()) : nullptr;
}

QGraphicsPolygonItem* FootprintMap::SheetAt(const QPoint& position) const {
    // A centre's dot, drawn above the outlines, stands for its sheet.
    if (QGraphicsPolygonItem* dotted = DotAt(position)) {
        return dotted;
    }
    for (QGraphicsItem* item : items(position)) {
        if (item->data(kFileRole).isValid()) {
            return static_cast<QGraphicsPolygonItem*>(item);
        }
    }
    return nullptr;
}

void FootprintMap::SelectAt(const QPoint& position) {
    if (QGraphicsPolygonItem* sheet = SheetAt(position)) {
        scene()->clearSelection();
        sheet->setSelected(true);
    }
}

bool FootprintMap::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QGraphicsView::viewportEvent(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    if (const QGraphicsPolygonItem* sheet = SheetAt(help->pos())) {
        QToolTip::showText(help->globalPos(),
                           SheetText(static_cast<std::size_t>(sheet->data(kFileRole).toInt())),
                           viewport());
    } else {
        QToolTip::hideText();
    }
    return true;
}

void FootprintMap::drawBackground(QPainter* painter, const QRectF& rect) {
    painter->fillRect(rect, Qt::white);
    const double step = RoundStep(std::max(rect.width(), rect.height()) / 8);
    painter->setPen(QPen(QColor(215, 215, 215), 0));
    for (double x = std::floor(rect.left() / step) * step; x <= rect.right(); x += step) {
        painter->drawLine(QPointF(x, rect.top()), QPointF(x, rect.bottom()));
    }
    for (double y = std::floor(rect.top() / step) * step; y <= rect.bottom(); y += step) {
        painter->drawLine(QPointF(rect.left(), y), QPointF(rect.right(), y));
    }
}

// The scale bar: a round length of about a fifth of the view, in the system's unit.
double FootprintMap::ScaleBarLength() const {
    return RoundStep(viewport()->width() / std::max(Zoom(), 1e-300) / 5);
}

QString FootprintMap::ScaleBarText() const {
    return QString("%1 %2").arg(QString::number(ScaleBarLength(), 'g', 6), unit_);
}

void FootprintMap::drawForeground(QPainter* painter, const QRectF&) {
    const double pixels = ScaleBarLength() * Zoom();
    painter->save();
    painter->resetTransform();
    const QPointF start(12, viewport()->height() - 14);
    painter->setPen(QPen(Qt::black, 2));
    painter->drawLine(start, start + QPointF(pixels, 0));
    painter->drawLine(start, start - QPointF(0, 5));
    painter->drawLine(start + QPointF(pixels, 0), start + QPointF(pixels, -5));
    painter->drawText(start + QPointF(pixels + 6, 4), ScaleBarText());
    painter->restore();
}

}  // namespace marlo::ui
