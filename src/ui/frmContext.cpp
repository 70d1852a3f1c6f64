#include "ui/frmContext.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

namespace lexmora::ui {

namespace {
constexpr int kNextWordMatchTop = 50; // the farthest word a Next Word Match condition names
} // namespace

namespace {

QScrollBar* contextBar(const char* name, QWidget* parent) {
    auto* bar = new QScrollBar(Qt::Vertical, parent);
    bar->setObjectName(name);
    bar->setRange(kContextBarBottom, kContextBarTop);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    // The top end is the largest value.
    bar->setInvertedAppearance(true);
    bar->setInvertedControls(false);
    bar->setMinimumHeight(90);
    bar->setFixedWidth(18);
    return bar;
}

QLineEdit* contextBox(const char* name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    box->setMaxLength(12);
    box->setFixedWidth(QFontMetrics(box->font()).horizontalAdvance("0") * 8 + 12);
    return box;
}

} // namespace

frmContext::frmContext(ProgramState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName("frmContext");
    setModal(true);

    m_lblEnterContexts = new QLabel("ENTER NEW VALUES FOR CONTEXT", this);
    m_lblEnterContexts->setObjectName("lblEnterContexts");
    QFont bold = m_lblEnterContexts->font();
    bold.setBold(true);
    m_lblEnterContexts->setFont(bold);
    auto* lblLeft = new QLabel("    Characters to left of keyword", this);
    lblLeft->setObjectName("lblContextLeft");
    auto* lblRight = new QLabel("    Characters to right of keyword", this);
    lblRight->setObjectName("lblContextRight");
    m_lblLeft = lblLeft;
    m_lblRight = lblRight;
    m_txtLeft = contextBox("txtContextLeft", this);
    m_txtRight = contextBox("txtContextRight", this);
    // The labels name the boxes for a screen reader, whatever each role writes in them.
    lblLeft->setBuddy(m_txtLeft);
    lblRight->setBuddy(m_txtRight);
    m_vscLeft = contextBar("vscLeft", this);
    m_vscRight = contextBar("vscRight", this);

    m_pctContext = new QWidget(this);
    m_pctContext->setObjectName("pctContext");
    m_chkColumnView = new QCheckBox("column view", m_pctContext);
    m_chkColumnView->setObjectName("chkColumnView");
    m_chkSortKeyword = new QCheckBox("sort on keyword", m_pctContext);
    m_chkSortKeyword->setObjectName("chkSortKeyword");
    m_chkSortKeyword->setProperty("tag", "0");
    m_optWhole = new QRadioButton("      whole string", m_pctContext);
    m_optWhole->setObjectName("optWhole");
    m_optPart = new QRadioButton("      KWIC section only", m_pctContext);
    m_optPart->setObjectName("optPart");
    m_optWhole->setChecked(true);
    m_optWhole->setProperty("tag", "-1");
    auto* options = new QVBoxLayout(m_pctContext);
    options->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_chkColumnView, m_chkSortKeyword, m_optWhole, m_optPart})
        options->addWidget(w);

    m_cmdOK = new QPushButton("OK", this);
    m_cmdOK->setObjectName("cmdOK");
    m_cmdCancel = new QPushButton("&Cancel", this);
    m_cmdCancel->setObjectName("cmdCancel");
    // Enter in a number box moves its bar first (eventFilter), then confirms as OK does.
    m_cmdOK->setAutoDefault(false);
    m_cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lblLeft, 0, 0);
    grid->addWidget(m_txtLeft, 0, 1);
    grid->addWidget(m_vscLeft, 0, 2);
    grid->addWidget(lblRight, 1, 0);
    grid->addWidget(m_txtRight, 1, 1);
    grid->addWidget(m_vscRight, 1, 2);
    grid->setColumnStretch(0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblEnterContexts, 0, Qt::AlignHCenter);
    layout->addLayout(grid);
    layout->addWidget(m_pctContext);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_txtLeft->installEventFilter(this);
    m_txtRight->installEventFilter(this);
    connect(m_txtLeft, &QLineEdit::textChanged, this,
            [this] { onTextChanged(m_txtLeft, m_txtRight, m_vscRight); });
    connect(m_txtRight, &QLineEdit::textChanged, this,
            [this] { onTextChanged(m_txtRight, m_txtLeft, m_vscLeft); });
    connect(m_vscLeft, &QScrollBar::valueChanged, this,
            [this](int v) { onScroll(m_txtLeft, m_txtRight, m_vscRight, v); });
    connect(m_vscRight, &QScrollBar::valueChanged, this,
            [this](int v) { onScroll(m_txtRight, m_txtLeft, m_vscLeft, v); });
    connect(m_chkSortKeyword, &QCheckBox::toggled, this, [this](bool on) {
        m_chkSortKeyword->setProperty("tag", on ? "-1" : "0");
        if (on) {
            // The sort then uses the keyword alone.
            m_txtLeft->setText("0");
            m_txtRight->setText("0");
        }
    });
    connect(m_optWhole, &QRadioButton::toggled, this,
            [this](bool on) { m_optWhole->setProperty("tag", on ? "-1" : "0"); });
    connect(m_cmdOK, &QPushButton::clicked, this, &frmContext::onOk);
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        m_tag.clear();
        reject();
    });

    setRole(ContextRole::ContextSettings, kContextSettingsCaption);
    loadValues(m_state.LeftContext, m_state.RightContext);
}

void frmContext::setRole(ContextRole role, const QString& caption, double scrollScale) {
    m_role = role;
    m_scale = ContextScale(role, scrollScale);
    setWindowTitle(caption);
    if (role == ContextRole::Sort)
        setProperty("tag", kSortRoleTag);
}

void frmContext::prepareContextSettings() {
    setRole(ContextRole::ContextSettings, kContextSettingsCaption);
    m_pctContext->hide();
}

void frmContext::prepareNextWordMatch() {
    setRole(ContextRole::NextWordMatch, "Next Word Match");
    setLabels("ENTER VALUES BELOW", " position to right of next word to match",
              " number of words to check for match");
    for (QScrollBar* bar : {m_vscLeft, m_vscRight})
        bar->setRange(0, kNextWordMatchTop);
    m_pctContext->hide();
}

void frmContext::loadValues(int left, int right) {
    m_vscLeft->setValue(left);
    m_vscRight->setValue(right);
    // The boxes show the numbers themselves, even beyond the bars' range.
    m_txtLeft->setText(QString::number(left));
    m_txtRight->setText(QString::number(right));
}

void frmContext::setLabels(const QString& heading, const QString& left, const QString& right) {
    m_lblEnterContexts->setText(heading);
    findChild<QLabel*>("lblContextLeft")->setText(left);
    findChild<QLabel*>("lblContextRight")->setText(right);
}

void frmContext::setRecordLimit(long long limit) {
    m_recordLimit = limit;
    m_scale = 1.0;
}

void frmContext::showViewerOptions(bool sortOptions, bool lineForm) {
    m_chkColumnView->setVisible(sortOptions);
    m_chkSortKeyword->setVisible(sortOptions);
    m_optWhole->setVisible(lineForm);
    m_optPart->setVisible(lineForm);
}

void frmContext::loadTexts(const QString& left, const QString& right) {
    m_txtLeft->setText(left);
    m_txtRight->setText(right);
}

void frmContext::setColumnView(bool on) {
    m_columnViewShown = on;
    m_chkColumnView->setChecked(on);
}

bool frmContext::columnViewChecked() const {
    return m_chkColumnView->isChecked();
}

bool frmContext::wholeRecord() const {
    return m_optWhole->isChecked();
}

std::optional<long long> frmContext::leftNumber() const {
    const std::string text = m_txtLeft->text().toStdString();
    return text.empty() ? std::nullopt : std::optional<long long>(ContextBoxNumber(text));
}

std::optional<long long> frmContext::rightNumber() const {
    const std::string text = m_txtRight->text().toStdString();
    return text.empty() ? std::nullopt : std::optional<long long>(ContextBoxNumber(text));
}

void frmContext::prepareRange(const RangeTexts& texts, long long lowest, long long highest) {
    setRole(ContextRole::Range, texts.caption);
    m_rangeTop = highest;
    m_lblEnterContexts->setText("SELECT WORDS BETWEEN THE FOLLOWING VALUES");
    m_lblLeft->setText(" words with value equal to or greater than ");
    m_lblRight->setText(" words with value equal to or less than ");
    m_chkColumnView->hide();
    m_chkSortKeyword->hide();
    m_optWhole->setText(texts.firstOption);
    m_optPart->setText(texts.secondOption);
    m_optWhole->setChecked(true);
    const bool direct = highest <= 32767;
    for (QScrollBar* bar : {m_vscLeft, m_vscRight}) {
        bar->setRange(static_cast<int>(direct ? lowest : 0),
                      static_cast<int>(direct ? highest : 32767));
        bar->setProperty("hiddenInRole", !direct);
    }
    m_txtLeft->setText(QString::number(lowest));
    m_txtRight->setText(QString::number(highest));
    if (direct) {
        m_vscLeft->setValue(static_cast<int>(lowest));
        m_vscRight->setValue(static_cast<int>(highest));
    }
}

bool frmContext::secondOptionChosen() const {
    return m_optPart->isChecked();
}

int frmContext::leftValue() const {
    return ContextValue(m_txtLeft->text().toStdString(), m_scale);
}

int frmContext::rightValue() const {
    return ContextValue(m_txtRight->text().toStdString(), m_scale);
}

void frmContext::showEvent(QShowEvent* event) {
    // Activation: a scaled role shows wide boxes and no bars.
    const bool scaled =
        m_scale != 1.0 || m_recordLimit > 0 || m_vscLeft->property("hiddenInRole").toBool();
    m_vscLeft->setVisible(!scaled);
    m_vscRight->setVisible(!scaled);
    const int wide = QFontMetrics(m_txtLeft->font()).horizontalAdvance("0") * 10 + 12;
    const int narrow = QFontMetrics(m_txtLeft->font()).horizontalAdvance("0") * 8 + 12;
    m_txtLeft->setFixedWidth(scaled ? wide : narrow);
    m_txtRight->setFixedWidth(scaled ? wide : narrow);
    m_chkColumnView->setChecked(m_columnViewShown.value_or(m_state.ColumnView));
    QDialog::showEvent(event);
    if (QWidget* over = parentWidget(); over != nullptr && over->isVisible()) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    m_txtLeft->setFocus();
    m_txtLeft->selectAll();
}

bool frmContext::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_txtLeft || watched == m_txtRight) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* box = static_cast<QLineEdit*>(watched);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const std::string text = box->text().toStdString();
            if (EnterMovesBar(text, m_scale))
                (box == m_txtLeft ? m_vscLeft : m_vscRight)
                    ->setValue(static_cast<int>(ContextBoxNumber(text)));
            m_cmdOK->click();
            return true;
        }
        // Editing and moving keys keep their work, Tab moves on, Escape cancels the dialog;
        // typed characters must be digits.
        const QString typed = key->text();
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Escape || tab ||
            typed.isEmpty() || key->modifiers().testFlag(Qt::ControlModifier))
            return QDialog::eventFilter(watched, event);
        if (typed.size() != 1 ||
            !IsContextKey(static_cast<char>(typed[0].unicode() < 128 ? typed[0].unicode() : 0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmContext::onTextChanged(QLineEdit* box, QLineEdit* other, QScrollBar* otherBar) {
    if (m_updating)
        return;
    m_updating = true;
    const std::string text = box->text().toStdString();
    std::string limited = LimitContextText(text, m_recordLimit > 0 ? 1.0 : m_scale);
    if (m_recordLimit > 0) {
        // Record numbers of the extract role are limited by the file, not by the bars.
        limited = LimitContextText(text, 1e18);
        if (ContextBoxNumber(limited) > m_recordLimit)
            limited = std::to_string(m_recordLimit);
    } else if (m_role == ContextRole::Range) {
        // The range role's limit is its highest value, not the context width's.
        limited = LimitContextText(text, 1e15);
        if (ContextBoxNumber(limited) > m_rangeTop)
            limited = std::to_string(m_rangeTop);
    }
    if (limited != text)
        box->setText(QString::fromStdString(limited));
    m_updating = false;
    if (OneSideOnly(m_role) && ContextBoxNumber(limited) != 0) {
        otherBar->setValue(0);
        other->setText("0");
    }
    if (limited != "0")
        m_chkSortKeyword->setChecked(false);
}

void frmContext::onScroll(QLineEdit* box, QLineEdit* other, QScrollBar* otherBar, int value) {
    box->setText(QString::number(value));
    if (m_role == ContextRole::NextWordMatch && value != 0) {
        otherBar->setValue(0);
        other->setText("0");
    }
}

void frmContext::onOk() {
    // Only the context-settings role owns the widths; the other roles' callers read the values.
    if (m_role == ContextRole::ContextSettings) {
        m_state.LeftContext = leftValue();
        m_state.RightContext = rightValue();
    }
    m_tag = "Ok";
    accept();
}

bool RunContextSettings(ProgramState& state, QWidget* parent) {
    frmContext dialog(state, parent);
    dialog.prepareContextSettings();
    dialog.exec();
    return dialog.tag() == "Ok";
}

} // namespace lexmora::ui
