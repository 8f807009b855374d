#include "ui/footprint_map.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsScene>
#include <QWheelEvent>
#include <cmath>

namespace marlo::ui {

namespace {

constexpr int kFileRole = 0;
constexpr int kMarkedRole = 1;

const QColor kSheetColour(30, 90, 180);
const QColor kWarningColour(210, 40, 30);

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

QString CornersText(const Footprint& footprint) {
    QString text;
    for (const MapPoint& corner : footprint.corners) {
        text += QString("\n%1, %2").arg(corner.x, 0, 'f', 3).arg(corner.y, 0, 'f', 3);
    }
    return text;
}

// A dot at the sheet's centre that keeps its size at every zoom: a sheet among a few hundred
// kilometres of others is a point, and an outlier must still be seen. Clicks go through it to
// the outline.
void AddMarker(QGraphicsPolygonItem& outline, const QColor& colour, bool marked) {
    const double radius = marked ? 5 : 2.5;
    auto* marker = new QGraphicsEllipseItem(-radius, -radius, 2 * radius, 2 * radius, &outline);
    marker->setPos(outline.polygon().boundingRect().center());
    marker->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    marker->setAcceptedMouseButtons(Qt::NoButton);
    marker->setPen(Qt::NoPen);
    marker->setBrush(colour);
    marker->setToolTip(outline.toolTip());
}

}  // namespace

FootprintMap::FootprintMap(QWidget* parent) : QGraphicsView(parent) {
    setObjectName("mapView");
    setScene(new QGraphicsScene(this));
    setDragMode(QGraphicsView::ScrollHandDrag);
    setRenderHint(QPainter::Antialiasing);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setMinimumSize(420, 260);
    connect(scene(), &QGraphicsScene::selectionChanged, this, [this] {
        const auto selected = scene()->selectedItems();
        if (!selected.isEmpty()) {
            emit sheetSelected(selected.front()->data(kFileRole).toInt());
        }
    });
}

FootprintMap::~FootprintMap() {
    // The scene goes with the widget's children, after this object has stopped being a map:
    // its last selection change must not reach it.
    scene()->disconnect(this);
}

void FootprintMap::Show(const RunOutcome& outcome, const std::vector<std::size_t>& files,
                        const std::set<std::size_t>& outliers) {
    scene()->clear();
    outlines_.clear();
    for (const std::size_t file : files) {
        const FileReport& report = outcome.files[file];
        QPolygonF polygon;
        for (const MapPoint& corner : report.footprint->corners) {
            polygon << ScenePoint(corner);
        }
        const bool marked = outliers.count(file) != 0;
        const QColor colour = marked ? kWarningColour : kSheetColour;
        QPen pen(colour, 0);  // a hairline at every zoom
        QColor fill = colour;
        fill.setAlpha(marked ? 110 : 40);
        auto* outline = scene()->addPolygon(polygon, pen, QBrush(fill));
        outline->setFlag(QGraphicsItem::ItemIsSelectable);
        outline->setData(kFileRole, static_cast<int>(file));
        outline->setData(kMarkedRole, marked);
        outline->setToolTip(QString::fromStdString(report.file) + CornersText(*report.footprint));
        AddMarker(*outline, colour, marked);
        outlines_.emplace_back(file, outline);
    }
    FitSheets();
}

bool FootprintMap::IsMarked(const QGraphicsPolygonItem& outline) {
    return outline.data(kMarkedRole).toBool();
}

QGraphicsPolygonItem* FootprintMap::Outline(std::size_t file) const {
    for (const auto& [drawn, outline] : outlines_) {
        if (drawn == file) {
            return outline;
        }
    }
    return nullptr;
}

bool FootprintMap::Select(std::size_t file) {
    QGraphicsPolygonItem* outline = Outline(file);
    if (outline == nullptr) {
        return false;
    }
    const QSignalBlocker blocker(scene());
    scene()->clearSelection();
    outline->setSelected(true);
    ensureVisible(outline);
    return true;
}

void FootprintMap::FitSheets() {
    const QRectF sheets = scene()->itemsBoundingRect();
    if (sheets.isEmpty()) {
        return;
    }
    // Room around the sheets, for the grid and the scale bar.
    const double margin = std::max(sheets.width(), sheets.height()) * 0.05;
    setSceneRect(sheets.adjusted(-margin, -margin, margin, margin));
    fitInView(sceneRect(), Qt::KeepAspectRatio);
}

void FootprintMap::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    FitSheets();
}

void FootprintMap::wheelEvent(QWheelEvent* event) {
    const double factor = std::pow(1.0015, event->angleDelta().y());
    scale(factor, factor);
    event->accept();
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

void FootprintMap::drawForeground(QPainter* painter, const QRectF&) {
    // The scale bar: a round length of about a fifth of the view, in the system's units.
    const double perPixel = 1 / std::max(std::abs(transform().m11()), 1e-300);
    const double length = RoundStep(viewport()->width() * perPixel / 5);
    const double pixels = length / perPixel;
    painter->save();
    painter->resetTransform();
    const QPointF start(12, viewport()->height() - 14);
    painter->setPen(QPen(Qt::black, 2));
    painter->drawLine(start, start + QPointF(pixels, 0));
    painter->drawLine(start, start - QPointF(0, 5));
    painter->drawLine(start + QPointF(pixels, 0), start + QPointF(pixels, -5));
    painter->drawText(start + QPointF(pixels + 6, 4), QString::number(length, 'g', 6));
    painter->restore();
}

}  // namespace marlo::ui
