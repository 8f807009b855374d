#pragma once

#include <QGraphicsView>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "conversion/run_plan.h"

class QGraphicsPolygonItem;

namespace marlo::ui {

class SheetDots;

// mapView: the outlines of a run's sheets in one coordinate system (skipped ones greyed), drawn
// to scale (north up) over a coordinate grid with a scale bar in the system's unit. Hovering
// shows a sheet's file and corners; a click selects it. The wheel zooms (from the whole series out
// to a single sheet in), dragging pans; a new run fits the view to its sheets, and the view keeps
// that fit through resizes until the user zooms or pans.
class FootprintMap final : public QGraphicsView {
    Q_OBJECT
public:
    explicit FootprintMap(QWidget* parent = nullptr);
    ~FootprintMap() override;

    // Draws the footprints of `files`, those in `outliers` in the warning colour; `unit` is
    // what the scale bar's length is in.
    void Show(const RunOutcome& outcome, const std::vector<std::size_t>& files,
              const std::set<std::size_t>& outliers, const QString& unit);
    // Selects the outline of a file drawn here and centres the view on it; false when it is
    // not drawn here.
    bool Select(std::size_t file);
    // Shows the whole series again.
    void FitSheets();
    // The view's scale, in pixels per map unit.
    double Zoom() const;
    // What the scale bar says: its length and unit.
    QString ScaleBarText() const;
    // The outline of a file, for the tests; nullptr when it is not drawn here.
    QGraphicsPolygonItem* Outline(std::size_t file) const;
    std::size_t OutlineCount() const { return outlines_.size(); }
    // What hovering a file's sheet shows: its name and corners; "" when it is not drawn here.
    QString SheetText(std::size_t file) const;
    // Whether a file's outline is drawn in the warning colour.
    static bool IsMarked(const QGraphicsPolygonItem& outline);
    // Whether a file's outline is greyed: a sheet the run skipped, drawn from its kept output.
    static bool IsGreyed(const QGraphicsPolygonItem& outline);

signals:
    void sheetSelected(int file);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ZoomBy(double factor, const QPointF& fixed);
    void ScrollBy(const QPoint& pixels);
    double ScaleBarLength() const;
    // The sheet whose centre's dot covers `position` of the view, else nullptr.
    QGraphicsPolygonItem* DotAt(const QPoint& position) const;
    // The sheet the pointer at `position` of the view is on: its dot's, else the topmost
    // outline's; nullptr when none.
    QGraphicsPolygonItem* SheetAt(const QPoint& position) const;
    void SelectAt(const QPoint& position);
    void Highlight();

    struct DrawnSheet {
        std::size_t file;
        QGraphicsPolygonItem* outline;
        std::string name;
    };
    std::vector<DrawnSheet> outlines_;
    QString unit_;
    QRectF sheets_;         // the sheets' bounding rectangle
    double sheetSize_ = 0;  // the largest sheet's longer side
    QGraphicsPolygonItem* highlighted_ = nullptr;
    SheetDots* dots_ = nullptr;        // owned by the scene
    bool fitted_ = true;               // the view shows the whole series and keeps doing so
    std::optional<QPoint> pressedAt_;  // where the left button went down, while it is down
    bool panning_ = false;             // it has moved since, far enough to be a drag
    QPoint lastDragAt_;
};

}  // namespace marlo::ui
