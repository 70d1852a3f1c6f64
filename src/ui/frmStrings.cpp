#include "ui/frmStrings.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "files/file_chooser.h"
#include "keywords/messages.h"
#include "keywords/special_characters.h"
#include "ui/character_panel.h"
#include "ui/frmContext.h"
#include "ui/frmGetFiles.h"
#include "ui/help_qt.h"
#include "ui/shared_menus.h"
#include "ui/text_convert.h"
#include "viewer/result_viewer.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace lexmora::ui {

namespace {

constexpr const char* kCaption = "     Please enter keywords";

// The busy pointer while long lists are filled; restored on every way out.
class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

LanguageId currentLanguage(const ProgramState& state) {
    const int index = state.LanguageIndex;
    return index >= 0 && index <= 4 ? static_cast<LanguageId>(index) : LanguageId::French;
}

// The context dialog in its Next Word Match role; the values come back in the two width fields.
bool contextNextWordDialog(QWidget* parent, ProgramState& state) {
    frmContext dialog(state, parent);
    dialog.prepareNextWordMatch();
    dialog.loadValues(state.LeftContext, state.RightContext);
    dialog.exec();
    if (dialog.tag() != "Ok")
        return false;
    state.LeftContext = dialog.leftValue();
    state.RightContext = dialog.rightValue();
    return true;
}

std::optional<std::string> chooseSaveNameWithDialog(QWidget* parent, const ProgramState& state) {
    const QString name = QFileDialog::getSaveFileName(
        parent, "Save keywords to file", pathToQt(state.KeywordFileFolder), "All files (*)");
    if (name.isEmpty())
        return std::nullopt;
    return pathFromQt(name);
}

} // namespace

// --- the window --------------------------------------------------------------------------------

frmStrings::frmStrings(ProgramState& state, Prompter& prompter, const KeywordWindowHooks& hooks,
                       std::function<void(LanguageId)> languageChanged, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompter(prompter), m_hooks(hooks),
      m_languageChanged(std::move(languageChanged)) {
    setObjectName("frmStrings");
    setWindowTitle(kCaption);
    auto* outer = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    bar->setObjectName("mnuBar");
    outer->setMenuBar(bar);
    buildBody();
    buildMenus(bar);
    syncOptions();
    applyUserLevel();
}

frmStrings::~frmStrings() = default;

void frmStrings::buildBody() {
    auto* outer = static_cast<QVBoxLayout*>(layout());
    auto* columns = new QHBoxLayout;
    outer->addLayout(columns);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 1);
    // Created in this order, which is also the order of the Tab key.
    buildEntryBox(left);
    buildModeOptions(left);
    buildHints(left);
    buildLists(left);
    buildButtons(left);
    buildCharacterFrame(columns);
    buildPopups();
}

void frmStrings::buildEntryBox(QVBoxLayout* left) {
    m_txtEnterStrings = new KeywordEntryBox(this);
    m_txtEnterStrings->setObjectName("txtEnterStrings");
    m_txtEnterStrings->setAccessibleName("Keyword to enter");
    m_txtEnterStrings->setMinimumWidth(320);
    left->addWidget(m_txtEnterStrings);
    m_lblRegexFault = new QLabel(this);
    m_lblRegexFault->setObjectName("lblRegexFault");
    m_lblRegexFault->setStyleSheet("color: #b00000");
    m_lblRegexFault->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_lblRegexFault->setTextFormat(Qt::PlainText);
    m_lblRegexFault->hide();
    left->addWidget(m_lblRegexFault);
    connect(m_txtEnterStrings, &KeywordEntryBox::keyTyped, this, &frmStrings::onKeyTyped);
    connect(m_txtEnterStrings, &KeywordEntryBox::doubleClicked, this,
            &frmStrings::onEntryDoubleClicked);
}

// Keywords or words to exclude, case sensitivity, and where a tag stands.
void frmStrings::buildModeOptions(QVBoxLayout* left) {
    auto* modeRow = new QGridLayout;
    left->addLayout(modeRow);
    m_optSearchStrings = new QRadioButton(" Enter keywords to search for", this);
    m_optSearchStrings->setObjectName("optSearchStrings");
    m_optExcludeStrings = new QRadioButton(this);
    m_optExcludeStrings->setObjectName("optExcludeStrings");
    m_chkCase = new QCheckBox(" Case sensitive", this);
    m_chkCase->setObjectName("chkCase");
    m_chkRegex = new QCheckBox(" Regular expression", this);
    m_chkRegex->setObjectName("chkRegex");
    m_chkRegex->setToolTip("The keywords entered are Perl-compatible regular expressions");
    m_optBefore = new QRadioButton("before", this);
    m_optBefore->setObjectName("optBefore");
    m_optAfter = new QRadioButton("after keyword", this);
    m_optAfter->setObjectName("optAfter");
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_optSearchStrings);
    modes->addButton(m_optExcludeStrings);
    auto* tagPlace = new QButtonGroup(this);
    tagPlace->addButton(m_optBefore);
    tagPlace->addButton(m_optAfter);
    m_optSearchStrings->setChecked(true);
    modeRow->addWidget(m_optSearchStrings, 0, 0);
    modeRow->addWidget(m_chkCase, 0, 1, 1, 2);
    modeRow->addWidget(m_optExcludeStrings, 1, 0);
    modeRow->addWidget(m_optBefore, 1, 1);
    modeRow->addWidget(m_optAfter, 1, 2);
    modeRow->addWidget(m_chkRegex, 2, 0);
    connect(m_optSearchStrings, &QRadioButton::toggled, this, &frmStrings::onKeywordMode);
    connect(m_optExcludeStrings, &QRadioButton::toggled, this, &frmStrings::onExcludeMode);
    connect(m_chkCase, &QCheckBox::clicked, this, &frmStrings::onCaseClicked);
    connect(m_chkRegex, &QCheckBox::clicked, this, [this] {
        m_lblRegexFault->hide();
        m_txtEnterStrings->setFocus();
    });
    connect(m_optBefore, &QRadioButton::clicked, this, [this] { m_state.TagBefore = true; });
    connect(m_optAfter, &QRadioButton::clicked, this, [this] { m_state.TagBefore = false; });
}

void frmStrings::buildHints(QVBoxLayout* left) {
    m_lblSpecial = new QLabel(this);
    m_lblSpecial->setObjectName("lblSpecial");
    left->addWidget(m_lblSpecial);
    auto* wildcard = new QLabel(" use the wildcard ' * ' before and after keywords", this);
    wildcard->setObjectName("lblWildcard");
    left->addWidget(wildcard);
    auto* boundaries = new QLabel(" to ignore initial and final word boundaries", this);
    boundaries->setObjectName("lblBoundaries");
    left->addWidget(boundaries);
}

// The keyword list and the exclude list, with their selection, editing and popup menus.
void frmStrings::buildLists(QVBoxLayout* left) {
    auto* lists = new QHBoxLayout;
    left->addLayout(lists, 1);
    m_lstStoreStrings = new QListWidget(this);
    m_lstStoreStrings->setObjectName("lstStoreStrings");
    m_lstStoreStrings->setAccessibleName("Keywords");
    m_lstStoreStrings->setUniformItemSizes(true);
    m_lstStoreStrings->setFont(QFont("Arial", m_lstStoreStrings->font().pointSize()));
    m_lstStoreStrings->setMinimumSize(200, 200);
    m_lstExcludeStrings = new QListWidget(this);
    m_lstExcludeStrings->setObjectName("lstExcludeStrings");
    m_lstExcludeStrings->setAccessibleName("Excluded strings");
    m_lstExcludeStrings->setMinimumSize(150, 200);
    lists->addWidget(m_lstStoreStrings, 3);
    lists->addWidget(m_lstExcludeStrings, 2);
    for (QListWidget* list : {m_lstStoreStrings, m_lstExcludeStrings}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        list->installEventFilter(this);
    }
    connect(m_lstStoreStrings, &QListWidget::currentRowChanged, this,
            &frmStrings::onKeywordClicked);
    connect(m_lstStoreStrings, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { onKeywordEdit(m_lstStoreStrings->row(item)); });
    connect(m_lstExcludeStrings, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_lists.selectExclude(static_cast<std::size_t>(row));
    });
    connect(m_lstExcludeStrings, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { onExcludeEdit(m_lstExcludeStrings->row(item)); });
    connect(m_lstStoreStrings, &QListWidget::customContextMenuRequested, this,
            &frmStrings::showKeywordPopup);
    connect(m_lstExcludeStrings, &QListWidget::customContextMenuRequested, this,
            &frmStrings::showExcludePopup);
}

void frmStrings::buildButtons(QVBoxLayout* left) {
    auto* buttons = new QHBoxLayout;
    left->addLayout(buttons);
    auto button = [this, buttons](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    m_cmdOK = button("cmdOK", "&OK");
    m_cmdCancel = button("cmdCancel", "&Cancel");
    m_cmdClear = button("cmdClear", "C&lear");
    connect(m_cmdOK, &QPushButton::clicked, this, &frmStrings::onOk);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_cmdClear, &QPushButton::clicked, this, &frmStrings::onClear);
}

// The special characters of the language, filled by BuildCharacterPanel.
void frmStrings::buildCharacterFrame(QHBoxLayout* columns) {
    m_fraCharacters = new CharacterPanel(this);
    columns->addWidget(m_fraCharacters);
    connect(m_fraCharacters, &CharacterPanel::languageMenuRequested, this,
            [this](const QPoint& where) { m_languageMenu->exec(where); });
    connect(m_fraCharacters, &CharacterPanel::characterChosen, this, &frmStrings::insertCharacter);
}

void frmStrings::buildPopups() {
    m_keywordPopup = new QMenu("String Actions", this);
    m_keywordPopup->setObjectName("mnuStringActions");
    QAction* edit = m_keywordPopup->addAction("&Edit");
    edit->setObjectName("mnuStringEdit");
    connect(edit, &QAction::triggered, this, [this] {
        if (const auto row = m_lists.selectedKeyword())
            onKeywordEdit(static_cast<int>(*row));
    });
    m_mnuKeywordDelete = m_keywordPopup->addAction("&Delete");
    m_mnuKeywordDelete->setObjectName("mnuStringDelete");
    connect(m_mnuKeywordDelete, &QAction::triggered, this, &frmStrings::deleteKeyword);

    m_excludePopup = new QMenu("Exclude Actions", this);
    m_excludePopup->setObjectName("mnuExcludeActions");
    QAction* editExclude = m_excludePopup->addAction("&Edit");
    editExclude->setObjectName("mnuExcludeEdit");
    connect(editExclude, &QAction::triggered, this, [this] {
        if (const auto row = m_lists.selectedExclude())
            onExcludeEdit(static_cast<int>(*row));
    });
    QAction* deleteExclude = m_excludePopup->addAction("&Delete");
    deleteExclude->setObjectName("mnuExcludeDelete");
    connect(deleteExclude, &QAction::triggered, this, &frmStrings::deleteExclude);
}

void frmStrings::buildMenus(QMenuBar* bar) {
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    auto topItem = [bar](const char* name, const QString& caption) {
        QAction* action = bar->addAction(caption);
        action->setObjectName(name);
        return action;
    };

    connect(topItem("mnuNext", "&Next Word Match"), &QAction::triggered, this,
            &frmStrings::onNextWordMatch);

    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("mnuOptions");
    QMenu* brackets = options->addMenu("&Bracket Type");
    brackets->setObjectName("mnuBracket");
    m_advancedOnly.push_back(brackets->menuAction());
    auto* bracketGroup = new QActionGroup(this);
    m_mnuCurly = item(brackets, "mnuCurly", "&Curly Brackets { }");
    m_mnuParenth = item(brackets, "mnuParenth", "&Parentheses ( )");
    m_mnuSquare = item(brackets, "mnuSquare", "&Square Brackets [ ]");
    const std::pair<QAction*, BracketType> bracketItems[] = {
        {m_mnuCurly, BracketType::Curly},
        {m_mnuParenth, BracketType::Parentheses},
        {m_mnuSquare, BracketType::Square}};
    for (const auto& [action, type] : bracketItems) {
        action->setCheckable(true);
        bracketGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, type] {
            SetBracketType(m_state, type);
            syncOptions();
        });
    }
    QMenu* wildcard = options->addMenu("&Single Wildcard");
    wildcard->setObjectName("mnuWildcard");
    auto* wildcardGroup = new QActionGroup(this);
    m_mnuQuestion = item(wildcard, "mnuQuestion", "&Question mark ?");
    m_mnuRoundAt = item(wildcard, "mnuRoundAt", "&Round 'at' sign @");
    const std::pair<QAction*, char> wildcardItems[] = {{m_mnuQuestion, '?'}, {m_mnuRoundAt, '@'}};
    for (const auto& [action, c] : wildcardItems) {
        action->setCheckable(true);
        wildcardGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, c] {
            SetSingleWildcard(m_state, c);
            syncOptions();
        });
    }
    m_advancedOnly.push_back(options->addSeparator());
    m_mnuTagged = item(options, "mnuTagged", "Search on &Tagged Files");
    m_mnuTagged->setCheckable(true);
    m_advancedOnly.push_back(m_mnuTagged);
    connect(m_mnuTagged, &QAction::triggered, this, [this] {
        ToggleTaggedSearch(m_state);
        syncOptions();
    });
    options->addSeparator();
    const UserLevelItems userLevel =
        AddUserLevelMenu(options, m_state, [this] { applyUserLevel(); });
    m_mnuUserAdvanced = userLevel.advanced;
    m_mnuUserNormal = userLevel.normal;

    QAction* load = topItem("mnuLoadFiles", "&Load Keywords from Files");
    m_advancedOnly.push_back(load);
    connect(load, &QAction::triggered, this, &frmStrings::onLoadFromFiles);
    QAction* save = topItem("mnuSaveFiles", "Sa&ve Keywords to File");
    m_advancedOnly.push_back(save);
    connect(save, &QAction::triggered, this, &frmStrings::onSaveToFile);

    m_languageMenu = bar->addMenu("L&anguage");
    m_languageMenu->setObjectName("mnuLanguage");
    for (QAction* action :
         FillLanguageMenu(m_languageMenu, [this](LanguageId language) { setLanguage(language); }))
        m_languageItems.push_back(action);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    connect(item(help, "mnuHelpEntering", "&Entering keywords"), &QAction::triggered, this,
            [this] { showHelp("keywords"); });
    connect(item(help, "mnuHelpOptions", "&Options"), &QAction::triggered, this,
            [this] { showHelp("keyword-options"); });
    connect(item(help, "mnuHelpSpecial", "&Special characters"), &QAction::triggered, this,
            [this] { showHelp("special-characters"); });
    m_advancedOnly.push_back(help->addSeparator());
    QAction* tagged = item(help, "mnuHelpTagged", "Search on &tagged files");
    m_advancedOnly.push_back(tagged);
    connect(tagged, &QAction::triggered, this, [this] { showHelp("tagged-files"); });
}

void frmStrings::syncOptions() {
    const BracketType type = CurrentBracketType(m_state);
    m_mnuCurly->setChecked(type == BracketType::Curly);
    m_mnuParenth->setChecked(type == BracketType::Parentheses);
    m_mnuSquare->setChecked(type == BracketType::Square);
    const SpecialChars chars = SpecialChars::from(m_state);
    m_mnuQuestion->setChecked(chars.singleWildcard == '?');
    m_mnuRoundAt->setChecked(chars.singleWildcard == '@');
    m_lblSpecial->setText(toQt(SpecialCharsCaption(m_state)));
    m_mnuTagged->setChecked(m_state.TaggedSearch);
    m_optExcludeStrings->setText(toQt(ExcludeOptionCaption(m_state)));
    m_optBefore->setVisible(m_state.TaggedSearch);
    m_optAfter->setVisible(m_state.TaggedSearch);
    m_optBefore->setChecked(m_state.TagBefore);
    m_optAfter->setChecked(!m_state.TagBefore);
    const int language = static_cast<int>(currentLanguage(m_state));
    for (int i = 0; i < static_cast<int>(m_languageItems.size()); ++i)
        m_languageItems[static_cast<std::size_t>(i)]->setChecked(i == language);
}

void frmStrings::applyUserLevel() {
    m_mnuUserAdvanced->setChecked(m_state.AdvancedUser);
    m_mnuUserNormal->setChecked(!m_state.AdvancedUser);
    for (QAction* action : m_advancedOnly)
        action->setVisible(m_state.AdvancedUser);
}

bool frmStrings::prepare(bool askKeep) {
    m_loadRequested = false;
    if (m_lists.fill(m_state, m_prompter, askKeep) == KeywordLists::Fill::Closed)
        return false;
    m_bracket = BracketState::Normal;
    clearEntry();
    {
        const QSignalBlocker block(m_optSearchStrings);
        m_optSearchStrings->setChecked(true);
    }
    syncOptions();
    {
        const BusyPointer busy;
        syncLists();
    }
    BuildCharacterPanel();
    m_txtEnterStrings->setFocus();
    return true;
}

void frmStrings::handOverForLoad() {
    m_lists.handOver(m_state, fromQt(m_txtEnterStrings->text()), m_chkCase->isChecked(),
                     regexEntry());
}

void frmStrings::syncLists() {
    const auto& keywords = m_lists.keywords();
    const QSignalBlocker block(m_lstStoreStrings);
    const int n = static_cast<int>(keywords.size());
    // An expression is shown as a keyword file writes it, between two "/".
    auto shown = [](const KeywordEntry& k) {
        return toQt(k.regex ? kRegexMarker + k.text + kRegexMarker : k.text);
    };
    auto itemFor = [&keywords, &shown](int i) {
        auto* item = new QListWidgetItem(shown(keywords[static_cast<std::size_t>(i)]));
        item->setData(Qt::UserRole, keywords[static_cast<std::size_t>(i)].caseSensitive ? 1 : 0);
        return item;
    };
    auto same = [&keywords, &shown, this](int i) {
        const QListWidgetItem* item = m_lstStoreStrings->item(i);
        const auto& k = keywords[static_cast<std::size_t>(i)];
        return item->text() == shown(k) &&
               item->data(Qt::UserRole).toInt() == (k.caseSensitive ? 1 : 0);
    };
    // One line added, changed or removed is the usual case: a long list is not built again.
    int count = m_lstStoreStrings->count();
    int first = 0;
    while (first < std::min(count, n) && same(first))
        ++first;
    if (count == n + 1) {
        delete m_lstStoreStrings->takeItem(first);
        count = n;
    }
    if (count == n - 1 && first == count) {
        m_lstStoreStrings->addItem(itemFor(first));
        count = n;
    }
    if (count == n) {
        for (int i = first; i < n; ++i)
            if (!same(i)) {
                m_lstStoreStrings->item(i)->setText(
                    toQt(keywords[static_cast<std::size_t>(i)].text));
                m_lstStoreStrings->item(i)->setData(
                    Qt::UserRole, keywords[static_cast<std::size_t>(i)].caseSensitive ? 1 : 0);
            }
    } else {
        m_lstStoreStrings->setUpdatesEnabled(false);
        m_lstStoreStrings->clear();
        for (int i = 0; i < n; ++i)
            m_lstStoreStrings->addItem(itemFor(i));
        m_lstStoreStrings->setUpdatesEnabled(true);
    }
    const auto selected = m_lists.selectedKeyword();
    m_lstStoreStrings->setCurrentRow(selected ? static_cast<int>(*selected) : -1);
    if (selected)
        m_lstStoreStrings->scrollToItem(m_lstStoreStrings->item(static_cast<int>(*selected)));
    m_lstStoreStrings->setEnabled(m_lists.mode() == EntryMode::Keywords);
    m_optExcludeStrings->setEnabled(m_lists.excludesAvailable());
    m_mnuKeywordDelete->setEnabled(m_lists.deleteEnabled());
    syncExcludeList();
}

void frmStrings::syncExcludeList() {
    const QSignalBlocker block(m_lstExcludeStrings);
    m_lstExcludeStrings->clear();
    for (const auto& line : m_lists.visibleExcludes()) {
        auto* item = new QListWidgetItem(toQt(line.text));
        item->setData(Qt::UserRole, line.caseSensitive ? 1 : 0);
        m_lstExcludeStrings->addItem(item);
    }
    const auto selected = m_lists.selectedExclude();
    m_lstExcludeStrings->setCurrentRow(selected ? static_cast<int>(*selected) : -1);
    m_lstExcludeStrings->setEnabled(
        m_lists.excludesAvailable() &&
        (m_lists.mode() == EntryMode::ExcludeStrings || m_lists.editedKeyword().has_value()));
}

void frmStrings::clearEntry() {
    m_txtEnterStrings->clear();
    m_chkCase->setChecked(false);
    m_lblRegexFault->hide();
}

// A regular expression is typed freely: the keyword language's filter and tidying would change
// its meaning.
bool frmStrings::regexEntry() const {
    return m_chkRegex->isChecked() && m_lists.mode() == EntryMode::Keywords;
}

void frmStrings::onKeyTyped(char key) {
    if (regexEntry()) {
        if (key == kKeyEnter)
            onEnter();
        else
            m_txtEnterStrings->acceptKey();
        return;
    }
    const std::string text = fromQt(m_txtEnterStrings->text());
    const auto caret = static_cast<std::size_t>(std::max(0, m_txtEnterStrings->cursorPosition()));
    const KeyOutcome out = FilterKeystroke(text, caret, key, m_lists.mode(), m_state.TaggedSearch,
                                           SpecialChars::from(m_state), m_bracket);
    if (out.message)
        m_prompter.tell(*out.message);
    switch (out.action) {
    case KeyAction::Accept:
        m_txtEnterStrings->acceptKey();
        break;
    case KeyAction::Discard:
        break;
    case KeyAction::Replace:
        m_txtEnterStrings->insert(QString(toQtChar(static_cast<unsigned char>(out.replacement))));
        break;
    case KeyAction::Commit:
        onEnter();
        break;
    }
}

void frmStrings::onEnter() {
    if (regexEntry()) {
        enterExpression();
        return;
    }
    const std::string normalised =
        NormaliseEntry(fromQt(m_txtEnterStrings->text()), SpecialChars::from(m_state));
    m_txtEnterStrings->setText(toQt(normalised));
    if (m_lists.commit(normalised, m_chkCase->isChecked(), m_prompter))
        clearEntry();
    syncLists();
    m_txtEnterStrings->setFocus();
}

// Enter on an expression: it joins the list once it compiles; else the reason is shown under the
// entry box with a mark under the character where the fault was found.
void frmStrings::enterExpression() {
    const std::string text = fromQt(m_txtEnterStrings->text());
    RegexFault fault;
    if (!text.empty() && !RegexKeyword::compile(text, m_chkCase->isChecked(), m_state, fault)) {
        showRegexFault(text, fault);
        return;
    }
    m_lblRegexFault->hide();
    if (m_lists.commit(text, m_chkCase->isChecked(), m_prompter, true))
        clearEntry();
    syncLists();
    m_txtEnterStrings->setFocus();
}

void frmStrings::showRegexFault(const std::string& expression, const RegexFault& fault) {
    QString shown = toQt(RegexFaultMessage(expression, fault).text);
    shown.replace("\r\n", "\n");
    if (fault.offset != std::string::npos) {
        const std::size_t at = std::min(fault.offset, expression.size());
        shown += "\n" + toQt(expression) + "\n" + QString(static_cast<int>(at), ' ') + "^";
        m_txtEnterStrings->setCursorPosition(static_cast<int>(at));
    }
    m_lblRegexFault->setText(shown);
    m_lblRegexFault->show();
    m_txtEnterStrings->setFocus();
}

void frmStrings::onEntryDoubleClicked() {
    const std::string text = fromQt(m_txtEnterStrings->text());
    if (!m_lists.commitAsTyped(text, m_chkCase->isChecked(), m_prompter))
        return;
    clearEntry();
    syncLists();
}

void frmStrings::onCaseClicked(bool checked) {
    m_chkCase->setChecked(CaseAfterClick(fromQt(m_txtEnterStrings->text()), checked));
    m_txtEnterStrings->setFocus();
}

void frmStrings::onKeywordClicked(int row) {
    if (row < 0)
        return;
    m_lists.selectKeyword(static_cast<std::size_t>(row));
    syncExcludeList();
}

void frmStrings::onKeywordEdit(int row) {
    if (row < 0)
        return;
    const auto box = m_lists.editKeyword(static_cast<std::size_t>(row));
    if (!box)
        return;
    m_txtEnterStrings->setText(toQt(box->text));
    m_chkCase->setChecked(box->caseSensitive);
    m_chkRegex->setChecked(box->regex);
    m_mnuKeywordDelete->setEnabled(true);
    syncExcludeList();
    m_txtEnterStrings->setFocus();
}

void frmStrings::onExcludeEdit(int row) {
    if (row < 0)
        return;
    const auto box = m_lists.editExclude(static_cast<std::size_t>(row));
    if (!box)
        return;
    m_txtEnterStrings->setText(toQt(box->text));
    m_chkCase->setChecked(box->caseSensitive);
    m_txtEnterStrings->setFocus();
}

void frmStrings::onExcludeMode(bool checked) {
    if (!checked)
        return;
    if (!m_lists.chooseExcludeMode(m_prompter)) {
        const QSignalBlocker block(m_optSearchStrings);
        m_optSearchStrings->setChecked(true);
        return;
    }
    clearEntry();
    m_bracket = BracketState::Normal;
    syncLists();
    m_txtEnterStrings->setFocus();
}

void frmStrings::onKeywordMode(bool checked) {
    if (!checked)
        return;
    m_lists.chooseKeywordMode();
    syncLists();
    m_txtEnterStrings->setFocus();
}

void frmStrings::onClear() {
    m_lists.clear();
    syncLists();
    m_txtEnterStrings->setFocus();
}

void frmStrings::onOk() {
    {
        const BusyPointer busy;
        m_lists.handOver(m_state, fromQt(m_txtEnterStrings->text()), m_chkCase->isChecked(),
                         regexEntry());
    }
    m_fraCharacters->clear();
    accept();
}

void frmStrings::deleteKeyword() {
    if (m_lists.deleteKeyword())
        syncLists();
}

void frmStrings::deleteExclude() {
    if (m_lists.deleteExclude())
        syncExcludeList();
}

void frmStrings::showKeywordPopup(const QPoint& where) {
    QListWidgetItem* item = m_lstStoreStrings->itemAt(where);
    if (item == nullptr || !item->isSelected())
        return;
    m_mnuKeywordDelete->setEnabled(m_lists.deleteEnabled());
    m_keywordPopup->exec(m_lstStoreStrings->viewport()->mapToGlobal(where));
}

void frmStrings::showExcludePopup(const QPoint& where) {
    QListWidgetItem* item = m_lstExcludeStrings->itemAt(where);
    if (item == nullptr || !item->isSelected())
        return;
    m_excludePopup->exec(m_lstExcludeStrings->viewport()->mapToGlobal(where));
}

bool frmStrings::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == m_lstStoreStrings || watched == m_lstExcludeStrings)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            if (watched == m_lstExcludeStrings)
                deleteExclude();
            else if (m_txtEnterStrings->text().isEmpty() && m_lists.deleteEnabled())
                deleteKeyword();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmStrings::onNextWordMatch() {
    // The dialog hands its values over in the two context-width fields, which are kept aside.
    const int left = m_state.LeftContext;
    const int right = m_state.RightContext;
    m_state.LeftContext = 1;
    m_state.RightContext = 0;
    const bool ok = m_hooks.nextWordMatch ? m_hooks.nextWordMatch(this, m_state)
                                          : contextNextWordDialog(this, m_state);
    const int position = m_state.LeftContext;
    const int words = m_state.RightContext;
    m_state.LeftContext = left;
    m_state.RightContext = right;
    const auto caret = static_cast<std::size_t>(std::max(0, m_txtEnterStrings->cursorPosition()));
    const auto edit = InsertNextWordMatch(fromQt(m_txtEnterStrings->text()), caret, ok, position,
                                          words, SpecialChars::from(m_state));
    if (edit) {
        m_txtEnterStrings->setText(toQt(edit->text));
        m_txtEnterStrings->setCursorPosition(static_cast<int>(edit->caret));
    }
    m_txtEnterStrings->setFocus();
}

void frmStrings::onLoadFromFiles() {
    // What the user has entered so far is kept; Cancel at the end still restores the keywords
    // held before the window opened.
    handOverForLoad();
    m_loadRequested = true;
    m_fraCharacters->clear();
    reject();
}

void frmStrings::onSaveToFile() {
    const auto& keywords = m_lists.keywords();
    if (keywords.empty())
        return;
    const bool excludes = std::any_of(keywords.begin(), keywords.end(),
                                      [](const KeywordEntry& k) { return !k.excludes.empty(); });
    if (excludes && m_prompter.ask(keywords::msg::ExcludesNotSaved()) != Answer::Ok)
        return;
    const auto name = m_hooks.chooseSaveName ? m_hooks.chooseSaveName(this, m_state)
                                             : chooseSaveNameWithDialog(this, m_state);
    if (!name)
        return;
    const Status written = WriteKeywordFile(*name, KeywordLinesOf(keywords));
    if (!written) {
        m_prompter.tell(written.error());
        return;
    }
    m_state.KeywordFileFolder = FolderOf(*name);
}

void frmStrings::setLanguage(LanguageId language) {
    ApplyLanguage(m_state, language);
    syncOptions();
    if (m_languageChanged)
        m_languageChanged(language);
    BuildCharacterPanel();
}

void frmStrings::showHelp(const char* topic) {
    ShowHelpTopic(this, m_state, m_prompter, topic, keywords::msg::HelpFileMissingWarning());
}

void frmStrings::BuildCharacterPanel() {
    m_fraCharacters->build(currentLanguage(m_state));
}

void frmStrings::insertCharacter(unsigned char code) {
    QString text = m_txtEnterStrings->text();
    const int caret =
        std::clamp(m_txtEnterStrings->cursorPosition(), 0, static_cast<int>(text.size()));
    text.insert(caret, toQtChar(code));
    m_txtEnterStrings->setText(text);
    m_txtEnterStrings->setCursorPosition(caret + 1);
    m_txtEnterStrings->setFocus();
}

} // namespace lexmora::ui
