// The concordance plot painted on the desktop: the measures and legend on top, then one row per
// file (name, words, hits, per 1,000) with a bar as long as the file and a thin mark at each hit.
// The layout is the engine's SVG picture's, so a saved SVG and the window show one picture. The
// marks of every row are merged per pixel when the bars change width, so a paint only draws.
#pragma once

#include "analysis/dispersion.h"
#include "analysis/dispersion_svg.h"

#include <QColor>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lexmora::ui {

// The order of the rows.
enum class PlotOrder { FileOrder, Hits, PerThousand, Name };

// One hit of the plot: its keyword, its file (index into DispersionData::files) and its place
// among that keyword's places in the file (ascending words before it).
struct PlotHit {
    std::size_t keyword = 0;
    std::size_t file = 0;
    std::size_t place = 0;
    int hitsOnPixel = 1; // the hits merged into the mark
    bool operator==(const PlotHit&) const = default;
};

// The rows of `data` in `order`: file indexes. Ties keep file order.
std::vector<std::size_t> PlotRowOrder(const DispersionData& data, PlotOrder order);

// The same data with its files (and each keyword's places) in the given row order, for the
// engine's SVG picture of the rows as shown.
DispersionData ReorderedData(const DispersionData& data, const std::vector<std::size_t>& rows);

class DispersionPlot : public QWidget {
    Q_OBJECT
public:
    explicit DispersionPlot(QWidget* parent = nullptr);

    void setData(std::shared_ptr<const DispersionData> data);
    const DispersionData* data() const { return m_data.get(); }
    void setOrder(PlotOrder order);
    PlotOrder order() const { return m_order; }
    const std::vector<std::size_t>& rows() const { return m_rows; }
    // The bars' room at zoom 1: the width the plot is to fill (the scroll area's viewport).
    void setFitWidth(int width);
    // 100 = the bars fill the fit width; larger widens them (the scroll area scrolls).
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // The whole picture's width, as the SVG's width (kMinPlotWidth .. kMaxPlotWidth).
    int pictureWidth() const;

    // The longest file's bar, and a file's bar.
    int barWidth() const { return m_barWidth; }
    int barOf(std::size_t file) const;
    // The merged marks of a file's band for a keyword, left to right.
    const std::vector<PlotMark>& marksOf(std::size_t file, std::size_t keyword) const;
    // Where a file's row starts (its top), and the centre of a hit's mark.
    int rowTop(std::size_t row) const;
    QPoint markCentre(std::size_t file, std::size_t keyword, int markX) const;
    // The hit under a point (a mark within a pixel of it); nothing elsewhere.
    std::optional<PlotHit> hitAt(QPoint point) const;

    // The picture as an image (all rows, not only those in view).
    QImage picture() const;
    // Paints the whole picture (a printer's page, an image).
    void paintPicture(QPainter& painter, const QRect& area) const;
    // The time the last paint took, and the last rebuild of the marks (milliseconds).
    double lastPaintMs() const { return m_lastPaintMs; }
    double lastMarksMs() const { return m_lastMarksMs; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void hitClicked(const lexmora::ui::PlotHit& hit);
    void hitActivated(const lexmora::ui::PlotHit& hit); // a double-click
    void zoomWanted(int steps);                         // Ctrl+wheel: steps in (+) or out (-)
    void painted();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

public:
    // The line a hovered hit shows as its tooltip (the opener's: the hit's KWIC line).
    std::function<QString(const PlotHit&)> lineOfHit;

private:
    void relayout();
    void rebuildMarks();
    void paintHeader(QPainter& painter) const;
    void paintRow(QPainter& painter, std::size_t row) const;
    int rowsTop() const;
    int headingY() const;

    std::shared_ptr<const DispersionData> m_data;
    std::vector<std::size_t> m_rows;
    std::vector<std::int64_t> m_fileHits; // all keywords, per file
    PlotOrder m_order = PlotOrder::FileOrder;
    int m_fitWidth = kDefaultPlotWidth;
    int m_zoom = 100;
    int m_barWidth = 0;
    int m_bandHeight = 12;
    int m_rowHeight = 18;
    std::int64_t m_mostWords = 0;
    // [file][keyword]: the marks of the file's band at the present bar widths.
    std::vector<std::vector<std::vector<PlotMark>>> m_marks;
    std::vector<std::vector<QColor>> m_shades; // [keyword][shade]
    double m_lastPaintMs = 0;
    double m_lastMarksMs = 0;
};

// The colour of a keyword, as the SVG picture gives it.
QColor KeywordColour(std::size_t keyword);

// A keyword's line above the rows: its hits, range and measures (D, DP, DPnorm to 6 decimals).
QString PlotMeasuresLine(const DispersionData& data, std::size_t keyword);

} // namespace lexmora::ui
