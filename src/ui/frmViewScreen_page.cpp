// The KWIC screen's page that fills its window: as many lines and columns as the list's area
// holds, re-flowed on resize, and the size of the lines' text (Ctrl++, Ctrl+-, Ctrl+0).
#include "ui/frmViewScreen.h"

#include "core/settings.h"
#include "ui/kwic_highlight.h"
#include "ui/text_convert.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <string>

namespace lexmora::ui {

namespace {

constexpr int kMinTextPoints = 6;
constexpr int kMaxTextPoints = 48;
constexpr const char* kTextSizeKey = "ViewerTextSize"; // points; absent: the font's own size

} // namespace

// --- the line list ------------------------------------------------------------------------

int KwicLineList::keywordColumn() const {
    return m_keywordColumn > 0 ? m_keywordColumn : m_state.LeftContext + 6;
}

// During a search any keyword may be the line's: the fewest words of any is sure to be keyword.
int KwicLineList::keywordWords() const {
    if (m_keywordWords > 0)
        return m_keywordWords;
    int fewest = 0;
    for (const std::string& keyword : m_state.Keywords) {
        const int words = KeywordWordCount(keyword);
        fewest = fewest == 0 ? words : std::min(fewest, words);
    }
    return std::max(fewest, 1);
}

void KwicLineList::drawLine(QPainter& painter, int baseline, const std::string& shown,
                            bool marked) {
    const KeywordSpan span =
        KeywordSpanOf(shown, keywordColumn(), m_state.HorizontalOffset, keywordWords());
    if (span.length == 0) {
        painter.drawText(4, baseline, toQt(shown));
        return;
    }
    // The keyword in bold and in colour; bold only where the font keeps its width, so the
    // columns stay aligned.
    const QString before = toQt(std::string_view(shown).substr(0, span.from));
    const QString keyword = toQt(std::string_view(shown).substr(span.from, span.length));
    const QString after = toQt(std::string_view(shown).substr(span.from + span.length));
    const QFontMetrics metrics(font());
    QFont bold = font();
    bold.setBold(true);
    const bool boldFits =
        QFontMetrics(bold).horizontalAdvance(keyword) == metrics.horizontalAdvance(keyword);
    const QPen pen = painter.pen();
    int x = 4;
    painter.drawText(x, baseline, before);
    x += metrics.horizontalAdvance(before);
    if (boldFits)
        painter.setFont(bold);
    if (!marked)
        painter.setPen(KeywordColour(palette()));
    painter.drawText(x, baseline, keyword);
    x += metrics.horizontalAdvance(keyword);
    painter.setFont(font());
    painter.setPen(pen);
    painter.drawText(x, baseline, after);
}

QSize KwicLineList::fittingPage() const {
    const QFontMetricsF metrics(font());
    // The same margins as sizeHint: 10 pixels across, 6 down. A column counts when nearly all
    // of it shows, so that a list at its size hint holds the page it was sized for.
    const double columns = (width() - 10) / metrics.horizontalAdvance(QLatin1Char('M'));
    // Only whole lines: the list paints them a whole line spacing of the integer metrics apart
    // (as pageSize sizes it), so a line counts only when all of it shows.
    const int lines = (height() - 6) / QFontMetrics(font()).lineSpacing();
    return {std::max(10, static_cast<int>(columns + 0.25)), std::max(1, lines)};
}

void KwicLineList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Q_EMIT areaChanged();
}

void KwicLineList::resizeRing(int lines) {
    const auto n = static_cast<std::size_t>(std::max(lines, 1));
    if (n == m_ring.size())
        return;
    // The newest lines stay: a live search goes on rolling from them.
    const std::size_t keep = std::min(m_count, n);
    std::vector<std::string> ring(n);
    std::vector<std::int64_t> positions(n, 0);
    std::vector<char> selected(n, 0);
    for (std::size_t i = 0; i < keep; ++i) {
        const std::size_t row = m_count - keep + i;
        ring[i] = m_ring[slot(row)];
        positions[i] = m_positions[slot(row)];
        selected[i] = m_selected[slot(row)];
    }
    m_current = std::min(m_current - static_cast<int>(m_count - keep), static_cast<int>(keep) - 1);
    m_ring = std::move(ring);
    m_positions = std::move(positions);
    m_selected = std::move(selected);
    m_first = 0;
    m_count = keep;
    m_dirty = true;
}

// --- the screen -----------------------------------------------------------------------------

void frmViewScreen::fitPageToWindow() {
    const QSize page = m_lstText->fittingPage();
    if (page.width() == m_state.ScreenColumns && page.height() == m_state.ScreenLines)
        return;
    m_state.ScreenColumns = page.width();
    m_state.ScreenLines = page.height();
    m_lstText->resizeRing(page.height());
    // The bar's range follows the page's width; its value, the keyword column's place, stays.
    m_rangeFor = 0;
    applyHorizontalRange();
    m_state.HorizontalOffset = m_hscHorizontal->value();
    if (m_viewing)
        Q_EMIT pageWanted(m_top); // the viewer reads the records the new page shows
    m_lstText->markDirty();
    m_lstText->flush();
}

void frmViewScreen::buildViewMenu(QMenuBar* bar) {
    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mnuScreenView");
    struct SizeItem {
        const char* name;
        const char* caption;
        QKeySequence keys;
        int step;
    };
    const SizeItem items[] = {
        {"mnuTextLarger", "&Larger Text", QKeySequence::ZoomIn, 1},
        {"mnuTextSmaller", "&Smaller Text", QKeySequence::ZoomOut, -1},
        {"mnuTextNormal", "&Normal Text Size", QKeySequence(Qt::CTRL | Qt::Key_0), 0},
    };
    for (const SizeItem& item : items) {
        QAction* action = view->addAction(item.caption);
        action->setObjectName(item.name);
        action->setShortcut(item.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int step = item.step;
        connect(action, &QAction::triggered, this, [this, step] { stepTextSize(step); });
    }
    // Ctrl+= is Ctrl++ without Shift on most keyboards.
    if (QAction* larger = view->findChild<QAction*>("mnuTextLarger"))
        larger->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    addTableViewItem(view);
}

int frmViewScreen::textPoints() const {
    return m_lstText->font().pointSize();
}

void frmViewScreen::applyStoredTextSize() {
    m_defaultPoints = std::max(m_lstText->font().pointSize(), kMinTextPoints);
    const long long stored =
        m_state.SettingsPath.empty() ? 0 : ReadIniInt(kTextSizeKey, 0, m_state.SettingsPath);
    if (stored >= kMinTextPoints && stored <= kMaxTextPoints) {
        QFont font = m_lstText->font();
        font.setPointSize(static_cast<int>(stored));
        m_lstText->setFont(font);
    }
}

void frmViewScreen::stepTextSize(int step) {
    const int points = step == 0 ? m_defaultPoints
                                 : std::clamp(textPoints() + step, kMinTextPoints, kMaxTextPoints);
    if (points == textPoints())
        return;
    QFont font = m_lstText->font();
    font.setPointSize(points);
    m_lstText->setFont(font);
    setTableFont(font);
    if (!m_state.SettingsPath.empty())
        WriteIniString(kSettingsSection, kTextSizeKey, std::to_string(points),
                       m_state.SettingsPath);
    fitPageToWindow();
}

} // namespace lexmora::ui
