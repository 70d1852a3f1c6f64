// The keyword window's panel of the current language's accented letters: each letter a raised
// key that inserts it, beside its name; a right click on the panel opens the language menu.
#pragma once

#include "keywords/special_characters.h"

#include <QFrame>

#include <vector>

class QGridLayout;
class QLabel;

namespace lexmora::ui {

class CharacterPanel : public QFrame {
    Q_OBJECT
public:
    explicit CharacterPanel(QWidget* parent);

    // Rebuilds the rows of letters for `language`.
    void build(LanguageId language);
    // Removes the rows of letters (the window is closing).
    void clear();

Q_SIGNALS:
    // A letter was clicked: its Windows-1252 code.
    void characterChosen(unsigned char code);
    // A right click on the panel or a letter, at this place on the screen.
    void languageMenuRequested(const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGridLayout* m_charGrid = nullptr;
    QLabel* m_lblLanguage = nullptr;
    std::vector<QLabel*> m_charLabels; // the labels of the rows built, removed on rebuild
};

} // namespace lexmora::ui
