// The context-settings dialog: two number boxes with their scroll bars for the left and right
// widths. The same window serves the Next Word Match values, the viewer's sort positions, the
// extract range and the frequency range, each opened with its own caption and role.
#pragma once

#include "core/program_state.h"
#include "search/context_settings.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace lexmora::ui {

class frmContext : public QDialog {
    Q_OBJECT
public:
    explicit frmContext(ProgramState& state, QWidget* parent = nullptr);

    // The role, its caption and the viewer's scroll scale (used by the roles that scale).
    void setRole(ContextRole role, const QString& caption, double scrollScale = 1.0);
    // The context-settings role: caption "Context Settings", the viewer options hidden.
    // The Next Word Match role of the keyword window: its caption, heading and labels, bars from
    // 0 to 50 and none of the viewer's options.
    void prepareNextWordMatch();
    void prepareContextSettings();
    // The frequency viewer's range role: its texts, the two option captions, and the lowest and
    // highest value the boxes take (the bars count them directly up to 32,767, else are hidden).
    struct RangeTexts {
        QString caption;
        QString firstOption;
        QString secondOption;
    };
    void prepareRange(const RangeTexts& texts, long long lowest, long long highest);
    // In the range role: whether the second option is chosen (the numbers: leftNumber()).
    bool secondOptionChosen() const;

    // Takes the values from the state (what loading the window does).
    void loadValues(int left, int right);

    // The viewer's roles: the heading and the labels of the two boxes.
    void setLabels(const QString& heading, const QString& left, const QString& right);
    // The extract role: record numbers 1 .. `limit` in the boxes, taken over as typed, no bars.
    void setRecordLimit(long long limit);
    // The viewer's options: the column view, "sort on keyword" and the whole/part choice.
    void showViewerOptions(bool sortOptions, bool lineForm);
    // The boxes' texts as given (record numbers, or empty for no value), and the column view.
    void loadTexts(const QString& left, const QString& right);
    void setColumnView(bool on);
    bool columnViewChecked() const;
    bool wholeRecord() const;
    // The numbers in the boxes as typed; nothing for an empty box.
    std::optional<long long> leftNumber() const;
    std::optional<long long> rightNumber() const;

    // "Ok" after OK, empty after Cancel.
    const QString& tag() const { return m_tag; }
    // The values as OK takes them over (divided by the scale).
    int leftValue() const;
    int rightValue() const;
    double scale() const { return m_scale; }
    ContextRole role() const { return m_role; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onTextChanged(QLineEdit* box, QLineEdit* other, QScrollBar* otherBar);
    void onScroll(QLineEdit* box, QLineEdit* other, QScrollBar* otherBar, int value);
    void onOk();

    ProgramState& m_state;
    ContextRole m_role = ContextRole::ContextSettings;
    double m_scale = 1.0;
    QString m_tag;
    bool m_updating = false;
    std::optional<bool> m_columnViewShown; // the viewer's flag, given by the sort role
    long long m_recordLimit = 0;           // 0: the bars' limit of the other roles

    long long m_rangeTop = 0;
    QLabel* m_lblEnterContexts;
    QLabel* m_lblLeft;
    QLabel* m_lblRight;
    QLineEdit* m_txtLeft;
    QLineEdit* m_txtRight;
    QScrollBar* m_vscLeft;
    QScrollBar* m_vscRight;
    QWidget* m_pctContext;
    QCheckBox* m_chkColumnView;
    QCheckBox* m_chkSortKeyword;
    QRadioButton* m_optWhole;
    QRadioButton* m_optPart;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

// The main window's "&Context Settings": shows the dialog modally in its context-settings role;
// on OK the new widths are in LeftContext and RightContext. True after OK.
bool RunContextSettings(ProgramState& state, QWidget* parent);

} // namespace lexmora::ui
