#include "ui/character_panel.h"

#include "core/settings.h"
#include "ui/letter_names.h"
#include "ui/text_convert.h"

#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace lexmora::ui {

CharacterPanel::CharacterPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("fraCharacters");
    setFrameShape(QFrame::StyledPanel);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setMinimumWidth(200);
    auto* panel = new QVBoxLayout(this);
    m_lblLanguage = new QLabel(this);
    m_lblLanguage->setObjectName("lblLanguage");
    panel->addWidget(m_lblLanguage);
    m_charGrid = new QGridLayout;
    m_charGrid->setHorizontalSpacing(8);
    m_charGrid->setVerticalSpacing(4);
    m_charGrid->setColumnMinimumWidth(2, 12); // lower and upper case stand apart
    panel->addLayout(m_charGrid);
    panel->addStretch(1);
    connect(this, &QFrame::customContextMenuRequested, this,
            [this](const QPoint& where) { Q_EMIT languageMenuRequested(mapToGlobal(where)); });
}

void CharacterPanel::clear() {
    for (QLabel* label : m_charLabels)
        delete label;
    m_charLabels.clear();
}

void CharacterPanel::build(LanguageId language) {
    clear();
    m_lblLanguage->setText(toQt(LanguageCaption(LanguageName(language))));
    const SpecialCharTable table = SpecialCharactersFor(language);
    auto add = [this](const QString& name, const QString& text, unsigned char code, int row,
                      int column) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        if (name.startsWith("lblCharString")) {
            // The letter looks like the key it is: a raised button that inserts it.
            label->setFrameStyle(QFrame::Panel | QFrame::Raised);
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(label->fontMetrics().height() * 2);
        }
        label->setProperty("charCode", static_cast<int>(code));
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip("Click to insert the letter");
        label->installEventFilter(this);
        m_charGrid->addWidget(label, row, column);
        m_charLabels.push_back(label);
    };
    const std::size_t rows = std::min(table.lower.size(), table.upper.size());
    for (std::size_t i = 0; i < rows; ++i) {
        const int row = static_cast<int>(i);
        const SpecialCharEntry& lower = table.lower[i];
        const SpecialCharEntry& upper = table.upper[i];
        add(QString("lblCharString%1").arg(row), QString(toQtChar(lower.code)), lower.code, row, 0);
        add(QString("lblCharAction%1").arg(row), LetterName(toQtChar(lower.code)), lower.code, row,
            1);
        add(QString("lblCharStringUC%1").arg(row), QString(toQtChar(upper.code)), upper.code, row,
            3);
        add(QString("lblCharActionUC%1").arg(row), LetterName(toQtChar(upper.code)), upper.code,
            row, 4);
    }
}

bool CharacterPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* label = qobject_cast<QLabel*>(watched);
        const QVariant code = label ? label->property("charCode") : QVariant();
        if (code.isValid()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton)
                Q_EMIT languageMenuRequested(mouse->globalPosition().toPoint());
            else if (mouse->button() == Qt::LeftButton)
                Q_EMIT characterChosen(static_cast<unsigned char>(code.toInt()));
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace lexmora::ui
