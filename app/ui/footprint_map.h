#pragma once

#include <QGraphicsView>
#include <cstddef>
#include <set>
#include <vector>

#include "conversion/run_plan.h"

class QGraphicsPolygonItem;

namespace marlo::ui {

// mapView: the outlines of a run's sheets in one coordinate system, drawn to scale (north up)
// over a coordinate grid with a scale bar. Hovering shows a sheet's file and corners; a click
// selects it. The wheel zooms, dragging pans; a new run fits the view to its sheets.
class FootprintMap final : public QGraphicsView {
    Q_OBJECT
public:
    explicit FootprintMap(QWidget* parent = nullptr);
    ~FootprintMap() override;

    // Draws the footprints of `files`, those in `outliers` in the warning colour.
    void Show(const RunOutcome& outcome, const std::vector<std::size_t>& files,
              const std::set<std::size_t>& outliers);
    // Selects the outline of a file drawn here, and shows it; false when it is not drawn here.
    bool Select(std::size_t file);
    // The outline of a file, for the tests; nullptr when it is not drawn here.
    QGraphicsPolygonItem* Outline(std::size_t file) const;
    std::size_t OutlineCount() const { return outlines_.size(); }
    // Whether a file's outline is drawn in the warning colour.
    static bool IsMarked(const QGraphicsPolygonItem& outline);

signals:
    void sheetSelected(int file);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitSheets();

    std::vector<std::pair<std::size_t, QGraphicsPolygonItem*>> outlines_;
};

}  // namespace marlo::ui
