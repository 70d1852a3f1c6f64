#include "ui/plot_widget.h"

#include "core/text_codec.h"
#include "ui/text_convert.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace lexmora::ui {

namespace {

// The SVG picture's layout (analysis/dispersion_svg.cpp).
constexpr int kMargin = 10;
// The number columns stand a little apart from the picture's, whose headings nearly touch in a
// desktop font; the bars start where the picture's start.
constexpr int kWordsRight = 236;
constexpr int kHitsRight = 284;
constexpr int kPerThousandRight = 370;
constexpr int kBarLeft = 385;
constexpr int kLineHeight = 18;
constexpr int kMeasuresTop = 44;
constexpr int kShades = 5;
constexpr const char* kColours[] = {"#1f4e9c", "#c0392b", "#2e7d32", "#7b1fa2",
                                    "#d35400", "#00838f", "#7f6000", "#c2185b"};
// Room for the name: up to the widest figure the words column may hold.
constexpr int kNameRight = kWordsRight - 64;

QString grouped(std::int64_t n) {
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(n));
}

QString fixed(const std::optional<double>& value, int decimals) {
    if (!value)
        return QStringLiteral("n/a");
    QString text = QString::number(*value, 'f', decimals);
    // A rounding error below zero is shown as the 0 it stands for, not as "-0.000000".
    if (text.startsWith('-') && text.count('0') == text.size() - 2)
        text.remove(0, 1);
    return text;
}

QFont pixelFont(int pixels, bool bold) {
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

std::int64_t hitsOfFile(const DispersionData& data, std::size_t f) {
    std::int64_t hits = 0;
    for (const KeywordPlaces& k : data.keywords)
        hits += f < k.places.size() ? static_cast<std::int64_t>(k.places[f].size()) : 0;
    return hits;
}

} // namespace

QColor KeywordColour(std::size_t keyword) {
    return QColor(QString::fromLatin1(kColours[keyword % (sizeof kColours / sizeof kColours[0])]));
}

std::vector<std::size_t> PlotRowOrder(const DispersionData& data, PlotOrder order) {
    std::vector<std::size_t> rows(data.files.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = i;
    std::vector<std::int64_t> hits(rows.size());
    for (std::size_t f = 0; f < rows.size(); ++f)
        hits[f] = hitsOfFile(data, f);
    const auto rate = [&](std::size_t f) {
        return PerThousand(hits[f], data.files[f].words).value_or(-1.0); // no words: last
    };
    switch (order) {
    case PlotOrder::FileOrder:
        break;
    case PlotOrder::Hits:
        std::stable_sort(rows.begin(), rows.end(),
                         [&](std::size_t a, std::size_t b) { return hits[a] > hits[b]; });
        break;
    case PlotOrder::PerThousand:
        std::stable_sort(rows.begin(), rows.end(),
                         [&](std::size_t a, std::size_t b) { return rate(a) > rate(b); });
        break;
    case PlotOrder::Name: {
        std::vector<QString> names;
        for (const DispersionFile& file : data.files)
            names.push_back(toQt(file.name));
        std::stable_sort(rows.begin(), rows.end(), [&](std::size_t a, std::size_t b) {
            return names[a].compare(names[b], Qt::CaseInsensitive) < 0;
        });
        break;
    }
    }
    return rows;
}

DispersionData ReorderedData(const DispersionData& data, const std::vector<std::size_t>& rows) {
    DispersionData out;
    out.notes = data.notes;
    out.partial = data.partial;
    for (const std::size_t f : rows)
        out.files.push_back(data.files[f]);
    for (const KeywordPlaces& k : data.keywords) {
        KeywordPlaces placed{k.keyword, {}};
        placed.places.reserve(rows.size());
        for (const std::size_t f : rows)
            placed.places.push_back(f < k.places.size() ? k.places[f]
                                                        : std::vector<std::uint32_t>{});
        out.keywords.push_back(std::move(placed));
    }
    return out;
}

DispersionPlot::DispersionPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("pltDispersion");
    setAccessibleName(tr("Concordance plot"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(pixelFont(12, false));
}

void DispersionPlot::setData(std::shared_ptr<const DispersionData> data) {
    m_data = std::move(data);
    m_fileHits.clear();
    m_shades.clear();
    if (m_data) {
        for (std::size_t f = 0; f < m_data->files.size(); ++f)
            m_fileHits.push_back(hitsOfFile(*m_data, f));
        for (std::size_t k = 0; k < m_data->keywords.size(); ++k) {
            std::vector<QColor> shades;
            for (int s = 1; s <= kShades; ++s) {
                QColor c = KeywordColour(k);
                // Stronger than the picture's lightest shade: a lone hit must stand out on screen.
                c.setAlphaF(static_cast<float>(0.6 + 0.4 * (s - 1) / (kShades - 1)));
                shades.push_back(c);
            }
            m_shades.push_back(std::move(shades));
        }
    }
    m_rows = m_data ? PlotRowOrder(*m_data, m_order) : std::vector<std::size_t>{};
    relayout();
}

void DispersionPlot::setOrder(PlotOrder order) {
    m_order = order;
    if (m_data)
        m_rows = PlotRowOrder(*m_data, m_order);
    update();
}

void DispersionPlot::setFitWidth(int width) {
    if (width == m_fitWidth)
        return;
    m_fitWidth = width;
    relayout();
}

void DispersionPlot::setZoom(int percent) {
    percent = std::clamp(percent, 100, 3200);
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    relayout();
}

int DispersionPlot::pictureWidth() const {
    return kBarLeft + m_barWidth + kMargin;
}

void DispersionPlot::relayout() {
    const int fit = std::clamp(m_fitWidth, kMinPlotWidth, kMaxPlotWidth);
    const long long wide = static_cast<long long>(fit - kBarLeft - kMargin) * m_zoom / 100;
    m_barWidth = static_cast<int>(std::min<long long>(wide, kMaxPlotWidth - kBarLeft - kMargin));
    const int keywords = m_data ? std::max<int>(1, static_cast<int>(m_data->keywords.size())) : 1;
    m_bandHeight = keywords == 1 ? 12 : std::max(4, 16 / keywords);
    m_rowHeight = m_bandHeight * keywords + 6;
    m_mostWords = 0;
    if (m_data)
        for (const DispersionFile& file : m_data->files)
            m_mostWords = std::max(m_mostWords, file.words);
    rebuildMarks();
    const int rows = m_data ? static_cast<int>(m_data->files.size()) : 0;
    setFixedSize(pictureWidth(), rowsTop() + rows * m_rowHeight + kMargin);
    update();
}

void DispersionPlot::rebuildMarks() {
    const auto start = std::chrono::steady_clock::now();
    m_marks.clear();
    if (m_data) {
        m_marks.resize(m_data->files.size());
        for (std::size_t f = 0; f < m_data->files.size(); ++f) {
            const int bar = barOf(f);
            for (const KeywordPlaces& k : m_data->keywords)
                m_marks[f].push_back(f < k.places.size()
                                         ? MergeMarks(k.places[f], m_data->files[f].words, bar)
                                         : std::vector<PlotMark>{});
        }
    }
    m_lastMarksMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int DispersionPlot::barOf(std::size_t file) const {
    if (!m_data || m_mostWords <= 0)
        return 1;
    return std::max<int>(1, static_cast<int>(m_data->files[file].words * m_barWidth / m_mostWords));
}

const std::vector<PlotMark>& DispersionPlot::marksOf(std::size_t file, std::size_t keyword) const {
    return m_marks[file][keyword];
}

int DispersionPlot::headingY() const {
    const int keywords = m_data ? std::max<int>(1, static_cast<int>(m_data->keywords.size())) : 1;
    return kMeasuresTop + keywords * kLineHeight + 8;
}

int DispersionPlot::rowsTop() const {
    return headingY() + 6;
}

int DispersionPlot::rowTop(std::size_t row) const {
    return rowsTop() + static_cast<int>(row) * m_rowHeight;
}

QPoint DispersionPlot::markCentre(std::size_t file, std::size_t keyword, int markX) const {
    const auto at = std::find(m_rows.begin(), m_rows.end(), file);
    const auto row = static_cast<std::size_t>(at - m_rows.begin());
    const int bandTop = rowTop(row) + 2 + static_cast<int>(keyword) * m_bandHeight;
    return {kBarLeft + markX, bandTop + m_bandHeight / 2};
}

std::optional<PlotHit> DispersionPlot::hitAt(QPoint point) const {
    if (!m_data || point.y() < rowsTop() || m_data->keywords.empty())
        return std::nullopt;
    const auto row = static_cast<std::size_t>((point.y() - rowsTop()) / m_rowHeight);
    if (row >= m_rows.size())
        return std::nullopt;
    const std::size_t file = m_rows[row];
    const int inRow = point.y() - rowTop(row) - 2;
    const auto keyword = static_cast<std::size_t>(
        std::clamp<int>(inRow / m_bandHeight, 0, static_cast<int>(m_data->keywords.size()) - 1));
    const std::vector<PlotMark>& marks = m_marks[file][keyword];
    const int x = point.x() - kBarLeft;
    // The nearest mark within a pixel either side: marks are one pixel wide.
    const PlotMark* best = nullptr;
    auto it = std::lower_bound(marks.begin(), marks.end(), x - 1,
                               [](const PlotMark& m, int at) { return m.x < at; });
    for (; it != marks.end() && it->x <= x + 1; ++it)
        if (best == nullptr || std::abs(it->x - x) < std::abs(best->x - x))
            best = &*it;
    if (best == nullptr)
        return std::nullopt;
    // The places on a pixel are consecutive: the mapping to pixels never goes back.
    const std::vector<std::uint32_t>& places = m_data->keywords[keyword].places[file];
    const std::int64_t words = m_data->files[file].words;
    const int bar = barOf(file);
    const auto first = std::partition_point(places.begin(), places.end(), [&](std::uint32_t p) {
        return MarkPixel(p, words, bar) < best->x;
    });
    return PlotHit{keyword, file, static_cast<std::size_t>(first - places.begin()), best->hits};
}

QSize DispersionPlot::sizeHint() const {
    return size();
}

// --- painting ------------------------------------------------------------------------------

void DispersionPlot::paintHeader(QPainter& painter) const {
    painter.setPen(QColor(0x22, 0x22, 0x22));
    painter.setFont(pixelFont(15, true));
    const auto files = static_cast<std::int64_t>(m_data ? m_data->files.size() : 0);
    painter.drawText(kMargin, 22, tr("Dispersion over %1 files").arg(grouped(files)));
    painter.setFont(pixelFont(12, false));
    if (m_data)
        for (std::size_t k = 0; k < m_data->keywords.size(); ++k) {
            const int y = kMeasuresTop + static_cast<int>(k) * kLineHeight;
            painter.fillRect(QRect(kMargin, y - 10, 10, 10), KeywordColour(k));
            painter.drawText(kMargin + 16, y, PlotMeasuresLine(*m_data, k));
        }
    const int y = headingY();
    painter.setFont(pixelFont(12, true));
    const QFontMetrics metrics(painter.font());
    const auto rightAligned = [&](int right, const QString& text) {
        painter.drawText(right - metrics.horizontalAdvance(text), y, text);
    };
    painter.drawText(kMargin, y, tr("file"));
    rightAligned(kWordsRight, tr("words"));
    rightAligned(kHitsRight, tr("hits"));
    rightAligned(kPerThousandRight, tr("per 1,000"));
    painter.drawText(kBarLeft, y, tr("place of each hit in the file"));
    painter.setFont(pixelFont(12, false));
}

void DispersionPlot::paintRow(QPainter& painter, std::size_t row) const {
    const std::size_t f = m_rows[row];
    const DispersionFile& file = m_data->files[f];
    const int y = rowTop(row);
    const int baseline = y + m_rowHeight - 5;
    const QFontMetrics metrics(painter.font());
    const auto rightAligned = [&](int right, const QString& text) {
        painter.drawText(right - metrics.horizontalAdvance(text), baseline, text);
    };
    painter.setPen(QColor(0x22, 0x22, 0x22));
    // A long name keeps its end, where names differ most.
    painter.drawText(kMargin, baseline,
                     metrics.elidedText(toQt(file.name), Qt::ElideLeft, kNameRight - kMargin));
    rightAligned(kWordsRight, grouped(file.words));
    rightAligned(kHitsRight, grouped(m_fileHits[f]));
    rightAligned(kPerThousandRight, fixed(PerThousand(m_fileHits[f], file.words), 2));
    const QRect bar(kBarLeft, y + 2, barOf(f), m_rowHeight - 4);
    painter.fillRect(bar, QColor(0xec, 0xef, 0xf1));
    painter.setPen(QPen(QColor(0xb0, 0xbe, 0xc5), 0));
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::NoPen);
    // One fill per shade: a frequent keyword's row is a few calls, not one per mark.
    std::vector<QRect> batch;
    for (std::size_t k = 0; k < m_marks[f].size(); ++k) {
        const int bandTop = y + 2 + static_cast<int>(k) * m_bandHeight;
        for (int shade = 1; shade <= kShades; ++shade) {
            batch.clear();
            for (const PlotMark& m : m_marks[f][k])
                if (std::min(m.hits, kShades) == shade)
                    batch.emplace_back(kBarLeft + m.x, bandTop, 1, m_bandHeight);
            if (batch.empty())
                continue;
            painter.setBrush(m_shades[k][static_cast<std::size_t>(shade - 1)]);
            painter.drawRects(batch.data(), static_cast<int>(batch.size()));
        }
    }
    painter.setBrush(Qt::NoBrush);
}

void DispersionPlot::paintPicture(QPainter& painter, const QRect& area) const {
    painter.fillRect(area, Qt::white);
    if (area.top() < rowsTop())
        paintHeader(painter);
    if (!m_data || m_rowHeight <= 0)
        return;
    const int first = std::max(0, (area.top() - rowsTop()) / m_rowHeight);
    const int last = (area.bottom() - rowsTop()) / m_rowHeight;
    for (int row = first; row <= last && row < static_cast<int>(m_rows.size()); ++row)
        paintRow(painter, static_cast<std::size_t>(row));
}

void DispersionPlot::paintEvent(QPaintEvent* event) {
    const auto start = std::chrono::steady_clock::now();
    QPainter painter(this);
    painter.setFont(font());
    paintPicture(painter, event->rect());
    m_lastPaintMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    Q_EMIT painted();
}

QImage DispersionPlot::picture() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(font());
    paintPicture(painter, rect());
    return image;
}

// --- the mouse -----------------------------------------------------------------------------

bool DispersionPlot::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<PlotHit> hit = hitAt(help->pos());
        if (hit && lineOfHit)
            QToolTip::showText(help->globalPos(), lineOfHit(*hit), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void DispersionPlot::mouseMoveEvent(QMouseEvent* event) {
    setCursor(hitAt(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

void DispersionPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        if (const std::optional<PlotHit> hit = hitAt(event->position().toPoint()))
            Q_EMIT hitClicked(*hit);
    QWidget::mousePressEvent(event);
}

void DispersionPlot::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        if (const std::optional<PlotHit> hit = hitAt(event->position().toPoint()))
            Q_EMIT hitActivated(*hit);
    QWidget::mouseDoubleClickEvent(event);
}

void DispersionPlot::wheelEvent(QWheelEvent* event) {
    if ((event->modifiers() & Qt::ControlModifier) == 0)
        return QWidget::wheelEvent(event); // the scroll area scrolls
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        Q_EMIT zoomWanted(steps);
    event->accept();
}

QString PlotMeasuresLine(const DispersionData& data, std::size_t keyword) {
    const DispersionMeasures m = MeasureKeyword(data, data.keywords[keyword]);
    return QObject::tr("%1: %2 hits, range %3 of %4 files (%5%), Juilland's D %6, DP %7, DPnorm %8")
        .arg(toQt(data.keywords[keyword].keyword), grouped(m.hits), grouped(m.range),
             grouped(m.parts), fixed(m.rangeShare * 100.0, 1), fixed(m.juillandD, 6),
             fixed(m.dp, 6), fixed(m.dpNorm, 6));
}

} // namespace lexmora::ui
